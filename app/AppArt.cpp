#include "app/AppArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>

namespace {

const QColor kBrandRed(0xC8, 0x1E, 0x1E);
const QColor kBrandDark(0x16, 0x16, 0x1A);

}  // namespace

QPixmap SplashPicture() {
  QPixmap pixmap(360, 120);
  pixmap.fill(Qt::black);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 360, 0);
  g.setColorAt(0, kBrandRed);
  g.setColorAt(1, kBrandDark);
  p.fillRect(QRect(0, 84, 360, 4), g);
  QFont big("Sans Serif");
  big.setPixelSize(36);
  big.setBold(true);
  p.setFont(big);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 8, 360, 48), Qt::AlignCenter, "BRENMOR");
  QFont small("Sans Serif");
  small.setPixelSize(15);
  p.setFont(small);
  p.setPen(QColor(0xDD, 0xDD, 0xDD));
  p.drawText(QRect(0, 52, 360, 28), Qt::AlignCenter, "Torvik Tuning Utility");
  return pixmap;
}

QPixmap VendorStrip(int height) {
  const int width = 64;
  QPixmap pixmap(width, height);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, height);
  g.setColorAt(0, kBrandRed);
  g.setColorAt(0.45, kBrandDark);
  g.setColorAt(1, Qt::black);
  p.fillRect(pixmap.rect(), g);
  p.fillRect(QRect(width - 3, 0, 3, height), kBrandRed);

  QFont f("Sans Serif");
  f.setPixelSize(28);
  f.setBold(true);
  f.setLetterSpacing(QFont::AbsoluteSpacing, 6);
  p.setFont(f);
  p.setPen(Qt::white);
  p.translate(width / 2 + 10, height - 24);
  p.rotate(-90);
  p.drawText(0, 0, "BRENMOR");
  p.resetTransform();

  QFont s("Sans Serif");
  s.setPixelSize(11);
  p.setFont(s);
  p.setPen(QColor(0xEE, 0xEE, 0xEE));
  p.drawText(QRect(0, 12, width - 3, 32), Qt::AlignHCenter | Qt::AlignTop, "TORVIK");
  return pixmap;
}

namespace {

// The icon's geometry, as fractions of its size: the picture and the
// scalable file the package installs are drawn from the same numbers.
constexpr qreal kIconCorner = 0.18;
constexpr qreal kDialCentreY = 0.56;
constexpr qreal kDialRadius = 0.36;
constexpr qreal kTickInnerMajor = 0.70, kTickInnerMinor = 0.82;  // of the radius
constexpr qreal kTickWidth = 1.0 / 24, kNeedleWidth = 1.0 / 14, kHubRadius = 1.0 / 14;
constexpr qreal kNeedleLength = 0.78;  // of the radius
constexpr qreal kNeedleDegrees = 40.0;
const QColor kNeedle(0xFF, 0xC8, 0x30);

// Tick i of the dial's nine, from 210 to -30 degrees, as inner and outer
// points on an icon of size s.
QLineF DialTick(qreal s, int i) {
  const QPointF centre(s / 2, s * kDialCentreY);
  const qreal radius = s * kDialRadius;
  const qreal a = qDegreesToRadians(210.0 - i * 30.0);
  const qreal inner = radius * (i % 2 ? kTickInnerMinor : kTickInnerMajor);
  return QLineF(centre + QPointF(inner * qCos(a), -inner * qSin(a)), centre + QPointF(radius * qCos(a), -radius * qSin(a)));
}

QLineF DialNeedle(qreal s) {
  const QPointF centre(s / 2, s * kDialCentreY);
  const qreal length = s * kDialRadius * kNeedleLength;
  const qreal a = qDegreesToRadians(kNeedleDegrees);
  return QLineF(centre, centre + QPointF(length * qCos(a), -length * qSin(a)));
}

}  // namespace

QPixmap AppIconPicture(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  QLinearGradient g(0, 0, 0, s);
  g.setColorAt(0, kBrandRed);
  g.setColorAt(1, kBrandDark);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(QRectF(0, 0, s, s), s * kIconCorner, s * kIconCorner);

  p.setPen(QPen(Qt::white, qMax<qreal>(1.0, s * kTickWidth), Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i <= 8; ++i) p.drawLine(DialTick(s, i));
  p.setPen(QPen(kNeedle, qMax<qreal>(1.5, s * kNeedleWidth), Qt::SolidLine, Qt::RoundCap));
  p.drawLine(DialNeedle(s));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(s / 2, s * kDialCentreY), s * kHubRadius, s * kHubRadius);
  return pixmap;
}

QByteArray AppIconSvg() {
  const qreal s = 256;
  QString svg;
  QTextStream out(&svg);
  out.setRealNumberPrecision(4);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << s << "\" height=\"" << s << "\" viewBox=\"0 0 " << s
      << " " << s << "\">\n"
      << "  <defs><linearGradient id=\"face\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
      << "<stop offset=\"0\" stop-color=\"" << kBrandRed.name() << "\"/><stop offset=\"1\" stop-color=\""
      << kBrandDark.name() << "\"/></linearGradient></defs>\n"
      << "  <rect width=\"" << s << "\" height=\"" << s << "\" rx=\"" << s * kIconCorner << "\" fill=\"url(#face)\"/>\n";
  auto line = [&](const QLineF& l, const QString& colour, qreal width) {
    out << "  <line x1=\"" << l.x1() << "\" y1=\"" << l.y1() << "\" x2=\"" << l.x2() << "\" y2=\"" << l.y2()
        << "\" stroke=\"" << colour << "\" stroke-width=\"" << width << "\" stroke-linecap=\"round\"/>\n";
  };
  for (int i = 0; i <= 8; ++i) line(DialTick(s, i), "#ffffff", s * kTickWidth);
  line(DialNeedle(s), kNeedle.name(), s * kNeedleWidth);
  out << "  <circle cx=\"" << s / 2 << "\" cy=\"" << s * kDialCentreY << "\" r=\"" << s * kHubRadius
      << "\" fill=\"#ffffff\"/>\n</svg>\n";
  out.flush();
  return svg.toUtf8();
}
