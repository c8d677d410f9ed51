// Output to a 160x43 monochrome keyboard LCD. Frames are drawn into an
// 8-bit surface and sent as 6880-byte frames (one byte per pixel, rows from
// the top, 255 = on) to a sink: a file the user names (PBM, or PNG when the
// name ends in ".png"; TORVIK_LCD_FILE), or a G-series keyboard through
// libg15 where the program was built with it. Without a sink the output
// stays off and every operation does nothing.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class CLcdSink {
 public:
  virtual ~CLcdSink() = default;
  // Sends one frame of CKeyboardLcd::kFrameBytes; false when it did not go out.
  virtual bool Send(const uint8_t* frame, uint32_t priority) = 0;
};

// Writes every frame to one file, replacing the previous frame.
class CFileLcdSink : public CLcdSink {
 public:
  explicit CFileLcdSink(QString path) : m_path(std::move(path)) {}
  bool Send(const uint8_t* frame, uint32_t priority) override;
  const QString& Path() const { return m_path; }

 private:
  QString m_path;
};

class CKeyboardLcd {
 public:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 43;
  static constexpr int kFrameBytes = kWidth * kHeight;  // 6880
  // Synchronous update at normal priority.
  static constexpr uint32_t kPriorityNormalSync = 0x80000080u;
  // The start-up picture.
  static constexpr int kStartPicture = 216;

  // Results of the manager calls.
  static constexpr int kOk = 0;
  static constexpr int kAlreadyInitialized = 1247;
  static constexpr int kManagerMissing = 1722;
  static constexpr int kNotInitialized = 1062;

  CKeyboardLcd();
  ~CKeyboardLcd();

  // Bring-up: initialise the manager with `sink` (null: the file named by
  // TORVIK_LCD_FILE, else a G-series keyboard when one answers), connect,
  // open device 0, make the drawing surface and show the start picture.
  // False, with the output off, when any step fails.
  bool Start(std::unique_ptr<CLcdSink> sink = nullptr);
  // Closes the device, disconnects and de-initialises.
  void Shutdown();

  // Manager calls.
  int Initialize(std::unique_ptr<CLcdSink> sink);
  int Deinitialize();

  void LcdShowBitmap(int resourceId);
  void LcdClear();
  void LcdText(int x, int y, const QString& text);
  void LcdFlush();

  bool IsOn() const { return m_lcdDevice != -1; }
  // The last frame sent (empty before the first).
  const std::vector<uint8_t>& LastFrame() const { return m_lastFrame; }
  int FramesSent() const { return m_nFramesSent; }

  // The surface as a frame: 255 for every pixel that is not black.
  static std::vector<uint8_t> FrameFromImage(const QImage& image);
  // The built-in pictures, 160x43.
  static QImage Picture(int resourceId);

  int m_lcdConnection = -1;
  int m_lcdDevice = -1;

 private:
  void Send(const std::vector<uint8_t>& frame);

  std::unique_ptr<CLcdSink> m_sink;
  bool m_bInitialized = false;
  QImage m_hLcdBitmap;
  std::vector<uint8_t> m_lastFrame;
  int m_nFramesSent = 0;
};
