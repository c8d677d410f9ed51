#include "app/KeyboardLcd.h"

#include <cstdio>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QFont>
#include <QPainter>

#ifdef TORVIK_HAVE_G15
#include <libg15render.h>
// libg15.h and libg15render.h disagree on G15_BUFFER_LEN; the three calls
// needed here are declared directly.
extern "C" {
int initLibG15();
int exitLibG15();
int writePixmapToLCD(unsigned char const* data);
}
#endif

// Each frame goes to a new file beside the target and is renamed over it:
// a reader never sees half a frame, and a link planted at the path is
// replaced, never followed.
bool CFileLcdSink::Send(const uint8_t* frame, uint32_t) {
  const int w = CKeyboardLcd::kWidth, h = CKeyboardLcd::kHeight;
  const QFileInfo target(m_path);
  QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
  if (!file.open()) return false;
  bool written = false;
  if (m_path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
    QImage image(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y) std::copy(frame + y * w, frame + (y + 1) * w, image.scanLine(y));
    written = image.save(&file, "PNG");
  } else {
    // Plain-bits PBM: 1 is black, so a lit pixel is written as 1.
    QByteArray out = QByteArray("P4\n") + QByteArray::number(w) + ' ' + QByteArray::number(h) + '\n';
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; x += 8) {
        char bits = 0;
        for (int b = 0; b < 8 && x + b < w; ++b)
          if (frame[y * w + x + b]) bits |= static_cast<char>(0x80 >> b);
        out.append(bits);
      }
    }
    written = file.write(out) == out.size();
  }
  if (!written || !file.flush()) return false;
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                      QFileDevice::ReadOther);
  if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(m_path).constData()) != 0)
    return false;
  file.setAutoRemove(false);  // it is the target now
  return true;
}

#ifdef TORVIK_HAVE_G15
namespace {

// A G-series keyboard's panel through libg15.
class CG15LcdSink : public CLcdSink {
 public:
  static std::unique_ptr<CLcdSink> Open() {
    if (initLibG15() != 0) return nullptr;
    return std::make_unique<CG15LcdSink>();
  }
  ~CG15LcdSink() override { exitLibG15(); }
  bool Send(const uint8_t* frame, uint32_t) override {
    g15canvas canvas;
    g15r_initCanvas(&canvas);
    for (int y = 0; y < CKeyboardLcd::kHeight; ++y)
      for (int x = 0; x < CKeyboardLcd::kWidth; ++x)
        if (frame[y * CKeyboardLcd::kWidth + x]) g15r_setPixel(&canvas, x, y, G15_COLOR_BLACK);
    return writePixmapToLCD(canvas.buffer) == 0;
  }
};

}  // namespace
#endif

CKeyboardLcd::CKeyboardLcd() = default;

CKeyboardLcd::~CKeyboardLcd() { Shutdown(); }

int CKeyboardLcd::Initialize(std::unique_ptr<CLcdSink> sink) {
  if (m_bInitialized) return kAlreadyInitialized;
  if (!sink) {
    const QString file = qEnvironmentVariable("TORVIK_LCD_FILE");
    if (!file.isEmpty()) sink = std::make_unique<CFileLcdSink>(file);
  }
#ifdef TORVIK_HAVE_G15
  if (!sink) sink = CG15LcdSink::Open();
#endif
  if (!sink) return kManagerMissing;
  m_sink = std::move(sink);
  m_bInitialized = true;
  return kOk;
}

int CKeyboardLcd::Deinitialize() {
  if (!m_bInitialized) return kNotInitialized;
  m_sink.reset();
  m_bInitialized = false;
  return kOk;
}

bool CKeyboardLcd::Start(std::unique_ptr<CLcdSink> sink) {
  if (Initialize(std::move(sink)) != kOk) return false;
  // One panel per sink: connection 0, device 0.
  m_lcdConnection = 0;
  m_lcdDevice = 0;
  m_hLcdBitmap = QImage(kWidth, kHeight, QImage::Format_Grayscale8);
  m_hLcdBitmap.fill(0);
  LcdShowBitmap(kStartPicture);
  return true;
}

void CKeyboardLcd::Shutdown() {
  m_lcdDevice = -1;
  m_lcdConnection = -1;
  Deinitialize();
}

std::vector<uint8_t> CKeyboardLcd::FrameFromImage(const QImage& image) {
  std::vector<uint8_t> frame(kFrameBytes, 0);
  const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
  for (int y = 0; y < kHeight && y < gray.height(); ++y) {
    const uchar* line = gray.constScanLine(y);
    for (int x = 0; x < kWidth && x < gray.width(); ++x) frame[y * kWidth + x] = line[x] ? 255 : 0;
  }
  return frame;
}

QImage CKeyboardLcd::Picture(int resourceId) {
  QImage image(kWidth, kHeight, QImage::Format_Grayscale8);
  image.fill(0);
  if (resourceId != kStartPicture) return image;
  QPainter p(&image);
  p.setPen(QColor(255, 255, 255));
  p.drawRect(0, 0, kWidth - 1, kHeight - 1);
  QFont big(QStringLiteral("Sans Serif"));
  big.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
  big.setPixelSize(16);
  big.setBold(true);
  p.setFont(big);
  p.drawText(QRect(0, 3, kWidth, 20), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("BRENMOR"));
  QFont small = big;
  small.setPixelSize(9);
  small.setBold(false);
  p.setFont(small);
  p.drawText(QRect(0, 24, kWidth, 14), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Torvik Tuning Utility"));
  return image;
}

void CKeyboardLcd::Send(const std::vector<uint8_t>& frame) {
  m_lastFrame = frame;
  ++m_nFramesSent;
  if (m_sink) m_sink->Send(frame.data(), kPriorityNormalSync);
}

void CKeyboardLcd::LcdShowBitmap(int resourceId) {
  if (m_lcdDevice == -1) return;
  Send(FrameFromImage(Picture(resourceId)));
}

void CKeyboardLcd::LcdClear() {
  if (m_lcdDevice == -1) return;
  m_hLcdBitmap.fill(0);
}

void CKeyboardLcd::LcdText(int x, int y, const QString& text) {
  if (m_lcdDevice == -1) return;
  QPainter p(&m_hLcdBitmap);
  // 7 points at 96 dpi, the cell height of the panel's small font; drawn
  // without smoothing so that every pixel is either on or off.
  QFont font(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
  font.setPixelSize(7 * 96 / 72);
  font.setWeight(QFont::Normal);
  p.setFont(font);
  p.setPen(QColor(255, 255, 255));
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(QColor(0, 0, 0));
  p.drawText(QPoint(x, y), text);  // (x, y) is on the baseline
}

void CKeyboardLcd::LcdFlush() {
  if (m_lcdDevice == -1) return;
  Send(FrameFromImage(m_hLcdBitmap));
}
