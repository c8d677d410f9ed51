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

QPixmap ProcessorLogo(int bitmapId) {
  // The family badges: a coloured plate with the family's initials.
  struct Badge {
    int id;
    const char* text;
    QColor colour;
  };
  static const Badge kBadges[] = {
      {210, "i7", QColor(0x1F, 0x3A, 0x93)},  {212, "i5", QColor(0x1F, 0x6A, 0xB3)},
      {213, "i3", QColor(0x1F, 0x8A, 0xC3)},  {214, "C2", QColor(0x2A, 0x2A, 0x6A)},
      {215, "C2Q", QColor(0x2A, 0x2A, 0x8A)}, {229, "Ph", QColor(0x20, 0x20, 0x20)},
      {230, "Ath", QColor(0x10, 0x60, 0x20)}, {231, "FX", QColor(0x90, 0x10, 0x10)},
      {234, "Sem", QColor(0x50, 0x50, 0x50)}, {236, "Opt", QColor(0x30, 0x30, 0x60)},
  };
  const Badge* badge = nullptr;
  for (const Badge& b : kBadges)
    if (b.id == bitmapId) badge = &b;
  const QSize size = badge ? QSize(93, 70) : QSize(65, 81);
  const QColor key(0xFF, 0x00, 0xFF);  // the transparent colour
  QPixmap pixmap(size);
  pixmap.fill(key);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QRect plate = QRect(QPoint(0, 0), size).adjusted(4, 4, -4, -4);
  p.setPen(Qt::NoPen);
  p.setBrush(badge ? badge->colour : kBrandDark);
  p.drawRoundedRect(plate, 10, 10);
  p.setBrush(kBrandRed);
  p.drawRect(plate.left() + 8, plate.bottom() - 10, plate.width() - 16, 4);
  QFont f("Sans Serif");
  f.setPixelSize(badge ? 26 : 18);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(plate.adjusted(0, 0, 0, -10), Qt::AlignCenter, badge ? badge->text : "CPU");
  return pixmap;
}

QPixmap SdkMakerPicture(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1C, 0x3A, 0x6E));
  p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
  // Three stacked layers: the SDK's bus, chip and device levels.
  for (int i = 0; i < 3; ++i) {
    p.setBrush(QColor(0x9F + i * 0x20, 0xC4 + i * 0x10, 0xFF));
    p.drawRoundedRect(QRectF(s * 0.18, s * (0.22 + i * 0.2), s * 0.64, s * 0.14), s * 0.04, s * 0.04);
  }
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
