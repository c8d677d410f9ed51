// The "Options" page: the validation file, saving a profile, the polling
// switches ("Stop polling", "Poll HW Monitor to Zundo") and the links to
// the validation database, the vendor and the SDK maker.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "app/pages/CTunePage.h"

class CHyperLink;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class COptionDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit COptionDlg(QWidget* parent);

  // What the page asks the desktop for; replaceable so that tests (and a
  // session without dialogs) need no user.
  struct Hooks {
    // The save-file dialog: the chosen path, or "" when cancelled.
    std::function<QString(QWidget* owner, const QString& proposedName)> chooseSaveFile;
    // The OK/Cancel warning before a profile save: true on OK.
    std::function<bool(QWidget* owner, const QString& text, const QString& caption)> confirm;
    // Saves profile `number` (1 ... 8); false with `error` when not saved.
    std::function<bool(int number, QString* error)> saveProfile;
    // One line on whether global hot keys are available (default: what
    // the window's key source said when it started).
    std::function<QString()> hotKeyStatus;
  };
  static void SetHooks(Hooks hooks);

  // The six boards on which both Misc boxes stay disabled.
  static bool MiscDisabledOn(int32_t boardId);

  // Addresses of the links (the validation database, the vendor's product
  // page, the vendor, the SDK maker).
  static constexpr const char* kValidationUrl = "https://validix.example.org/";
  static constexpr const char* kProductUrl = "https://www.brenmor.example.com/torvik/";
  static constexpr const char* kVendorUrl = "https://www.brenmor.example.com/";
  static constexpr const char* kSdkMakerUrl = "https://www.quarn.example.com/";

  static constexpr const char* kProfileWarning =
      "CPU Vcore too low will have unpredictable result. Please make sure CPU Vcore setting is reasonable before "
      "save profile.";

  // The buttons' actions (also what a click does).
  void OnSaveValidationFile();
  void OnSaveProfile();
  void OnStopPolling(bool checked);
  void OnZundoPolling(bool checked);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void ShowHotKeyStatus();

  QCheckBox* m_stopPolling = nullptr;
  QCheckBox* m_zundoPolling = nullptr;
  QComboBox* m_profiles = nullptr;
  QLabel* m_hotKeys = nullptr;
};

// Saves profile `number` (the current state, replacing an earlier one);
// false with the reason when it was not saved.
bool SaveProfileFromOptionsPage(int number, QString* error);
