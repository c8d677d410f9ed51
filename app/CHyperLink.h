// A static control that opens a web address when clicked: underlined blue
// text or a picture, with a hand cursor.
#pragma once

#include <QLabel>
#include <QUrl>
#include <functional>

class CHyperLink : public QLabel {
  Q_OBJECT

 public:
  // Opens an address on the desktop; returns false when nothing opened it.
  using UrlOpener = std::function<bool(const QUrl&)>;

  explicit CHyperLink(QWidget* parent = nullptr);

  void SetURL(const QString& url) { m_url = url; }
  QString URL() const { return m_url; }

  // Replaces the opener for every link (tests, or a desktop without one);
  // an empty function restores the desktop's (QDesktopServices::openUrl).
  static void SetUrlOpener(UrlOpener opener);

  // What a click does: opens the address.
  bool Open() const;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QString m_url;
};
