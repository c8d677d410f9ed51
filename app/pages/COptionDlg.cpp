#include "app/pages/COptionDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppArt.h"
#include "app/CHotKeys.h"
#include "app/CHyperLink.h"
#include "app/CTorvikTuneApp.h"
#include "app/WaitCursor.h"
#include "app/CTorvikTuneDlg.h"
#include "app/ProfileActions.h"
#include "app/ValidationSave.h"
#include "poll/PollCore.h"

namespace {

QString Id(int id) { return QString::number(id); }

COptionDlg::Hooks& PageHooks() {
  static COptionDlg::Hooks hooks;
  return hooks;
}

QString DefaultChooseSaveFile(QWidget* owner, const QString& proposedName) {
  // The overwrite prompt is the dialog's default; no read-only box here.
  return QFileDialog::getSaveFileName(owner, QStringLiteral("Save Validation File"), proposedName,
                                      QStringLiteral("VDF File (*.vdf);;All Files (*.*)"));
}

bool DefaultConfirm(QWidget* owner, const QString& text, const QString& caption) {
  return QMessageBox::warning(owner, caption, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) ==
         QMessageBox::Ok;
}


}  // namespace

bool SaveProfileFromOptionsPage(int number, QString* error) {
  const ProfileOutcome outcome = SaveCurrentProfile(number);
  if (outcome.status == ProfileOutcome::Status::Done) return true;
  if (error) *error = QString::fromStdString(outcome.message);
  return false;
}

void COptionDlg::SetHooks(Hooks hooks) { PageHooks() = std::move(hooks); }

bool COptionDlg::MiscDisabledOn(int32_t boardId) {
  static constexpr int32_t kBoards[] = {0x31CC930, 0x31CC938, 0x31CC93C, 0x31CC944, 0x31CC94C, 0x31CC954};
  for (int32_t b : kBoards)
    if (b == boardId) return true;
  return false;
}

COptionDlg::COptionDlg(QWidget* parent) : CTunePage(false, parent) {
  setObjectName("COptionDlg");
  CTorvikTuneApp* app = TheApp();
  const QFont labelFont = app ? app->m_fontLabel : font();
  const QFont valueFont = app ? app->m_fontValue : font();
  const QColor valueColour = app ? app->m_crValueText : QColor(0, 0, 0x80);

  auto label = [&](const QString& text, int id, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setFont(labelFont);
    l->setObjectName(Id(id));
    return l;
  };
  auto link = [&](const QString& text, int id, const char* url, QWidget* parent) {
    auto* l = new CHyperLink(parent);
    l->setText(text);
    l->setFont(labelFont);
    l->setObjectName(Id(id));
    l->SetURL(QString::fromLatin1(url));
    return l;
  };
  auto frame = [&](const QString& title, int id) {
    auto* g = new QGroupBox(title, this);
    g->setFont(labelFont);
    g->setObjectName(Id(id));
    return g;
  };
  auto button = [&](const QString& text, int id, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setFont(labelFont);
    b->setObjectName(Id(id));
    return b;
  };

  auto* top = new QVBoxLayout(this);

  QGroupBox* validation = frame(QStringLiteral("Validation"), 1095);
  auto* vl = new QVBoxLayout(validation);
  QLabel* about = label(
      QStringLiteral("The validation process allows to add your overclocking performance to the Validix database."),
      1099, validation);
  about->setWordWrap(true);
  vl->addWidget(about);
  auto* submit = new QHBoxLayout();
  submit->addWidget(label(QStringLiteral("Save your VDF file then submit it to the "), 1100, validation));
  submit->addWidget(link(QStringLiteral("Validation Web Page"), 1041, kValidationUrl, validation));
  submit->addStretch(1);
  vl->addLayout(submit);
  auto* saveVdf = button(QStringLiteral("Save Validation File"), 1013, validation);
  vl->addWidget(saveVdf, 0, Qt::AlignLeft);
  top->addWidget(validation);

  auto* middle = new QHBoxLayout();
  QGroupBox* profiles = frame(QStringLiteral("Profiles"), 1096);
  auto* pl = new QHBoxLayout(profiles);
  m_profiles = new QComboBox(profiles);
  m_profiles->setObjectName(Id(1051));
  m_profiles->setFont(valueFont);
  QPalette palette = m_profiles->palette();
  palette.setColor(QPalette::Text, valueColour);
  palette.setColor(QPalette::ButtonText, valueColour);
  m_profiles->setPalette(palette);
  for (int n = 1; n <= 8; ++n)
    m_profiles->addItem(QString::asprintf("Profile %02d (ALT+%d)", n, n));
  m_profiles->setCurrentIndex(0);
  pl->addWidget(m_profiles);
  auto* saveProfile = button(QStringLiteral("Save Profile"), 1020, profiles);
  pl->addWidget(saveProfile);
  middle->addWidget(profiles);

  QGroupBox* misc = frame(QStringLiteral("Misc"), 1097);
  auto* ml = new QVBoxLayout(misc);
  m_stopPolling = new QCheckBox(QStringLiteral("Stop polling"), misc);
  m_stopPolling->setObjectName(Id(1052));
  m_stopPolling->setFont(labelFont);
  m_zundoPolling = new QCheckBox(QStringLiteral("Poll HW Monitor to Zundo"), misc);
  m_zundoPolling->setObjectName(Id(1059));
  m_zundoPolling->setFont(labelFont);
  ml->addWidget(m_stopPolling);
  ml->addWidget(m_zundoPolling);
  const bool miscOff = app && MiscDisabledOn(app->m_nBoardId);
  m_stopPolling->setEnabled(!miscOff);
  m_zundoPolling->setEnabled(!miscOff);
  m_hotKeys = new QLabel(misc);
  m_hotKeys->setObjectName(QStringLiteral("hotKeyStatus"));
  m_hotKeys->setFont(labelFont);
  m_hotKeys->setWordWrap(true);
  ShowHotKeyStatus();
  ml->addWidget(m_hotKeys);
  middle->addWidget(misc);
  top->addLayout(middle);

  QGroupBox* aboutFrame = frame(QStringLiteral("About"), 1098);
  auto* al = new QGridLayout(aboutFrame);
  auto* visit = new QHBoxLayout();
  visit->addWidget(label(QStringLiteral("Please visit "), 1101, aboutFrame));
  visit->addWidget(link(QStringLiteral("www.brenmor.example.com/torvik"), 1044, kProductUrl, aboutFrame));
  visit->addStretch(1);
  al->addLayout(visit, 0, 0);
  al->addWidget(label(QStringLiteral("for more information on this utility"), 1102, aboutFrame), 1, 0);
  al->addWidget(label(QStringLiteral("and to download latest updates."), 1103, aboutFrame), 2, 0);
  CHyperLink* vendorPicture = link(QString(), 1042, kVendorUrl, aboutFrame);
  vendorPicture->setPixmap(AppIconPicture(48));
  CHyperLink* sdkPicture = link(QString(), 1043, kSdkMakerUrl, aboutFrame);
  sdkPicture->setPixmap(SdkMakerPicture(48));
  al->addWidget(vendorPicture, 0, 1, 3, 1);
  al->addWidget(sdkPicture, 0, 2, 3, 1);
  top->addWidget(aboutFrame);
  top->addStretch(1);

  connect(saveVdf, &QPushButton::clicked, this, [this] { OnSaveValidationFile(); });
  connect(saveProfile, &QPushButton::clicked, this, [this] { OnSaveProfile(); });
  connect(m_stopPolling, &QCheckBox::clicked, this, [this](bool on) { OnStopPolling(on); });
  connect(m_zundoPolling, &QCheckBox::clicked, this, [this](bool on) { OnZundoPolling(on); });
}

void COptionDlg::ShowHotKeyStatus() {
  const auto& status = PageHooks().hotKeyStatus ? PageHooks().hotKeyStatus : HotKeysStatus;
  m_hotKeys->setText(status());
  m_hotKeys->setVisible(!m_hotKeys->text().isEmpty());
}

void COptionDlg::showEvent(QShowEvent* e) {
  // The window starts its key source after the pages exist.
  ShowHotKeyStatus();
  CTunePage::showEvent(e);
}

void COptionDlg::OnSaveValidationFile() {
  CTorvikTuneApp* app = TheApp();
  if (!app) return;
  QWidget* owner = app->MainWindow() ? static_cast<QWidget*>(app->MainWindow()) : this;
  const QString proposed = QStringLiteral("tvk_%1.vdf").arg(ValidationClockMHz(*app));
  const auto& choose = PageHooks().chooseSaveFile ? PageHooks().chooseSaveFile : DefaultChooseSaveFile;
  const QString path = choose(owner, proposed);
  if (path.isEmpty()) return;
  QString error;
  if (!SaveValidationFileAs(*app, path, &error))
    app->Warn(QStringLiteral("The validation file was not saved: %1").arg(error), QStringLiteral("Validation"));
}

void COptionDlg::OnSaveProfile() {
  CTorvikTuneApp* app = TheApp();
  QWidget* owner = app && app->MainWindow() ? static_cast<QWidget*>(app->MainWindow()) : this;
  const auto& confirm = PageHooks().confirm ? PageHooks().confirm : DefaultConfirm;
  if (!confirm(owner, QString::fromLatin1(kProfileWarning), QStringLiteral("Warning"))) return;
  const int number = m_profiles->currentIndex() + 1;
  QString error;
  const auto& save = PageHooks().saveProfile ? PageHooks().saveProfile : SaveProfileFromOptionsPage;
  bool saved;
  {
    CWaitCursor wait;
    saved = save(number, &error);
  }
  // A profile that was not written is said so: the user would otherwise
  // count on a hot key that loads nothing or an older profile.
  if (!saved && app) app->Warn(error, QStringLiteral("Save Profile"));
}

void COptionDlg::OnStopPolling(bool checked) {
  if (CTorvikTuneApp* app = TheApp()) app->StartPolling(!checked);
}

void COptionDlg::OnZundoPolling(bool checked) {
  CTorvikTuneApp* app = TheApp();
  if (!app) return;
  app->m_bZundoPolling = checked ? 1 : 0;
  if (CPollCore* poll = app->Poll()) poll->SetZundoPolling(checked);
}
