#include "app/CTorvikTuneDlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QIcon>
#include <QResizeEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/AppArt.h"
#include "app/AppMessages.h"
#include "app/CHotKeys.h"
#include "app/ProfileActions.h"
#include "app/CHyperLink.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/ProcessorList.h"
#include "platform/Machine.h"

namespace {

constexpr int kWindowHeight = 560;

}  // namespace

CTorvikTuneDlg::CTorvikTuneDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("mainWindow");
  setWindowTitle(QString::fromLatin1(kTitle));
  setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
  if (windowIcon().isNull()) {
    QIcon icon;
    for (int size : {16, 32, 64}) icon.addPixmap(AppIconPicture(size));
    setWindowIcon(icon);
  }
  CTorvikTuneApp* app = TheApp();

  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(0, 0, 10, 8);
  outer->setSpacing(10);

  m_pVendorLink = new CHyperLink(this);
  m_pVendorLink->setObjectName("vendorLink");
  m_pVendorLink->SetURL(QString::fromLatin1(kVendorUrl));
  m_pVendorLink->setPixmap(VendorStrip(kWindowHeight));
  m_pVendorLink->setToolTip(QString::fromLatin1(kVendorUrl));
  m_pVendorLink->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  outer->addWidget(m_pVendorLink);

  auto* column = new QVBoxLayout;
  column->setContentsMargins(0, 8, 0, 0);
  outer->addLayout(column, 1);

  auto* top = new QHBoxLayout;
  m_pProcessorLabel = new QLabel(QStringLiteral("Processor Selection"), this);
  m_pProcessorList = new QComboBox(this);
  m_pProcessorList->setObjectName("processorList");
  m_pProcessorList->setMinimumWidth(140);
  top->addWidget(m_pProcessorLabel);
  top->addWidget(m_pProcessorList);
  top->addStretch(1);

  // Emulated readings must never pass for real ones.
  plat::Machine& machine = plat::CurrentMachine();
  if (machine.IsEmulated()) {
    m_pEmulatedMarker = new QLabel(this);
    m_pEmulatedMarker->setObjectName("emulatedMarker");
    QString board = QString::fromStdString(machine.Name());
    board = board.mid(board.indexOf(':') + 1);
    m_pEmulatedMarker->setText(QStringLiteral("EMULATED  \u2014  %1").arg(board));
    m_pEmulatedMarker->setToolTip(QStringLiteral("Every value shown comes from an emulated board, not this computer."));
    m_pEmulatedMarker->setStyleSheet(QStringLiteral(
        "QLabel { background: #E8A317; color: black; font-weight: bold; padding: 3px 10px; border-radius: 3px; }"));
    top->addWidget(m_pEmulatedMarker);
  }
  column->addLayout(top);

  m_pTab = new CMyTabCtl(this);
  column->addWidget(m_pTab, 1);

  auto* bottom = new QHBoxLayout;
  m_pVersion = new QLabel(QString::fromLatin1(kVersionText), this);
  m_pVersion->setObjectName("versionText");
  m_pQuit = new QPushButton(QStringLiteral("Quit"), this);
  m_pQuit->setObjectName("quitButton");
  bottom->addWidget(m_pVersion);
  bottom->addStretch(1);
  bottom->addWidget(m_pQuit);
  column->addLayout(bottom);

  if (app) {
    m_pProcessorLabel->setFont(app->m_fontLabel);
    m_pVersion->setFont(app->m_fontLabel);
    m_pQuit->setFont(app->m_fontLabel);
    m_pProcessorList->setFont(app->m_fontValue);
    // The value colour only while the list can be used: a disabled list keeps
    // the style's greyed text.
    QPalette p = m_pProcessorList->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      p.setColor(group, QPalette::Text, app->m_crValueText);
      p.setColor(group, QPalette::ButtonText, app->m_crValueText);
    }
    m_pProcessorList->setPalette(p);
  }
  FillProcessorList();

  connect(m_pQuit, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_pProcessorList, &QComboBox::currentIndexChanged, this, &CTorvikTuneDlg::OnProcessorSelChange);
  resize(760, kWindowHeight);

  // The global hot keys, last: left Alt + '1' .. '8' loads a profile, left
  // Ctrl + 'a' .. 'h' applies a process rule.
  m_pHotKeys = new CHotKeys(this);
  if (app) m_pHotKeys->SetRules(&app->m_processActions);
  m_pHotKeys->SetProfileHandler([](int n) { LoadAndApplyProfile(n); });
  m_pHotKeys->Install();
}

void CTorvikTuneDlg::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  // The vendor strip runs the window's whole height.
  if (m_pVendorLink && m_pVendorLink->pixmap().height() != e->size().height())
    m_pVendorLink->setPixmap(VendorStrip(e->size().height()));
}

// The keyboard hook is removed here once it exists.
CTorvikTuneDlg::~CTorvikTuneDlg() {
  if (m_pHotKeys) m_pHotKeys->Remove();
}

void CTorvikTuneDlg::FillProcessorList() {
  const QSignalBlocker blocker(m_pProcessorList);
  m_pProcessorList->clear();
  const std::vector<int> processors = SdkProcessorIndices();
  for (int index : processors) m_pProcessorList->addItem(QStringLiteral("Processor #%1").arg(index));
  if (!processors.empty()) m_pProcessorList->setCurrentIndex(0);
  m_pProcessorList->setEnabled(processors.size() >= 2);

  // The drop-down is as wide as the widest entry, a scroll bar and a "0".
  const QFontMetrics metrics(m_pProcessorList->font());
  int widest = 0;
  for (int i = 0; i < m_pProcessorList->count(); ++i)
    widest = std::max(widest, metrics.horizontalAdvance(m_pProcessorList->itemText(i)));
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  m_pProcessorList->view()->setMinimumWidth(widest + scrollBar + metrics.horizontalAdvance(QLatin1Char('0')));
}

void CTorvikTuneDlg::OnProcessorSelChange(int index) {
  if (index < 0) return;
  if (CTorvikTuneApp* app = TheApp()) app->m_nSelectedProcessor = index;
  m_pTab->SendToPages(WM_RELOAD_SETTINGS);
  m_pTab->SendToPages(WM_REFRESH_VIEW);
}

bool CTorvikTuneDlg::OnRegisteredMessage(const QString& name, qintptr* result) {
  if (name == QLatin1String(kCloseAppMessageName)) {
    *result = 0;
    return true;
  }
  return false;
}

bool CTorvikTuneDlg::event(QEvent* e) {
  if (e->type() == CAppMessageEvent::TypeId()) {
    uint32_t message = static_cast<CAppMessageEvent*>(e)->Message();
    if (message == WM_RELOAD_SETTINGS || message == WM_REFRESH_VIEW) {
      m_pTab->SendToPages(message);
      return true;
    }
  }
  return QDialog::event(e);
}
