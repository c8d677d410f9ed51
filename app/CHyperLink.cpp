#include "app/CHyperLink.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace {

CHyperLink::UrlOpener& Opener() {
  static CHyperLink::UrlOpener opener;
  return opener;
}

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent) {
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
  // Link blue on whatever is behind it.
  QPalette p = palette();
  p.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xEE));
  setPalette(p);
  setAutoFillBackground(false);
  setCursor(Qt::PointingHandCursor);
}

void CHyperLink::SetUrlOpener(UrlOpener opener) { Opener() = std::move(opener); }

bool CHyperLink::Open() const {
  if (m_url.isEmpty()) return false;
  const QUrl url(m_url);
  if (Opener()) return Opener()(url);
  return QDesktopServices::openUrl(url);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
    emit clicked();
    Open();
  }
  QLabel::mouseReleaseEvent(e);
}
