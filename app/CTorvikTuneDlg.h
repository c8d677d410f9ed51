// The main window: the vendor strip, the processor selection, the eight
// pages in their tab control, the version text and "Quit".
#pragma once

#include <QDialog>
#include <cstdint>

#include "TorvikVersion.h"

class QComboBox;
class QLabel;
class QPushButton;
class CMyTabCtl;
class CHyperLink;
class CHotKeys;

class CTorvikTuneDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kTitle = "Brenmor Torvik Tuning Utility";
  static constexpr const char* kVersionText = "version " TORVIK_VERSION;
  static constexpr const char* kVendorUrl = "https://www.brenmor.example/";

  explicit CTorvikTuneDlg(QWidget* parent = nullptr);
  ~CTorvikTuneDlg() override;

  // Processor list selection changed: the pages show processor `index`
  // after reloading their settings and redrawing.
  void OnProcessorSelChange(int index);

  // A message registered by name by another program. "TVK_CLOSE_APP" is
  // accepted and answered with 0 without acting; `*result` is set and true
  // returned for a message this window knows.
  bool OnRegisteredMessage(const QString& name, qintptr* result);

  CMyTabCtl* TabControl() const { return m_pTab; }
  QComboBox* ProcessorList() const { return m_pProcessorList; }
  CHyperLink* VendorLink() const { return m_pVendorLink; }
  QPushButton* QuitButton() const { return m_pQuit; }
  // Shown only on an emulated machine; null on the host.
  QLabel* EmulatedMarker() const { return m_pEmulatedMarker; }
  // The global hot keys (installed with the window, removed with it).
  CHotKeys* HotKeys() const { return m_pHotKeys; }

 protected:
  bool event(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void FillProcessorList();

  CHyperLink* m_pVendorLink = nullptr;
  QLabel* m_pProcessorLabel = nullptr;
  QComboBox* m_pProcessorList = nullptr;
  QLabel* m_pEmulatedMarker = nullptr;
  CMyTabCtl* m_pTab = nullptr;
  QLabel* m_pVersion = nullptr;
  QPushButton* m_pQuit = nullptr;
  CHotKeys* m_pHotKeys = nullptr;
};
