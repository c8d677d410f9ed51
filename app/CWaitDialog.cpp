#include "app/CWaitDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/AppArt.h"

CWaitDialog::CWaitDialog(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("waitDialog");
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  setPalette(p);
  setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  m_pPicture = new QLabel(this);
  m_pPicture->setPixmap(SplashPicture());
  layout->addWidget(m_pPicture);

  m_pProgress = new QProgressBar(this);
  m_pProgress->setObjectName("splashProgress");
  m_pProgress->setRange(0, 100);
  m_pProgress->setValue(0);
  m_pProgress->setTextVisible(false);
  m_pProgress->setFixedHeight(12);
  layout->addWidget(m_pProgress);

  m_pStatus = new QLabel(this);
  m_pStatus->setObjectName("splashStatus");
  QPalette sp = m_pStatus->palette();
  sp.setColor(QPalette::WindowText, Qt::white);
  m_pStatus->setPalette(sp);
  m_pStatus->setAttribute(Qt::WA_TranslucentBackground);
  layout->addWidget(m_pStatus);
  adjustSize();
  // Centred on the screen the program starts on.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

void CWaitDialog::OnSplashProgress(int position, const char* text) {
  m_pProgress->setValue(position);
  if (text) m_pStatus->setText(QString::fromLatin1(text));
  if (isVisible()) repaint();
}

void CWaitDialog::OnSplashClose() { close(); }

int CWaitDialog::Position() const { return m_pProgress->value(); }

QString CWaitDialog::StatusText() const { return m_pStatus->text(); }
