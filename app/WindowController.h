#pragma once
// The controller of the one main window: application delegate, window delegate and owner of every
// user-facing action. One class, defined across the app/WindowController*.cpp files by subsystem.

#include "app/AppServices.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QTimer;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QString;
class QTableView;
class QTableWidget;

namespace veltrona {

class AccountArrayController;
class CommandRunner;
class ConnectedClientsSheet;
class MainWindow;
class ModifierFlagsFilter;
class ProfileOffer;
class Sheet;
struct AlertText;
struct EntryProblem;
struct ServerSettings;
struct SetupCheck;
struct ServerBackup;
class ServerFileLocations;
struct VpnConfigResult;
class RunFolder;
class TaskWrapper;
class UserDefaults;

class WindowController : public QObject {
public:
    // Class initialisation, before the window exists: the version gate, then the initial values
    // of the user defaults. False when the gate failed: the user has been told, and the program
    // must end without showing its window.
    static bool initialize(const ProcessInfo& processInfo, UserDefaults& defaults, Interaction& interaction);
    // The four user defaults and their initial values.
    static std::map<std::string, std::string> initialDefaults();

    // Loads the window resource, connects every outlet and action, then awakeFromNib.
    explicit WindowController(AppServices services);
    ~WindowController() override;
    WindowController(const WindowController&) = delete;
    WindowController& operator=(const WindowController&) = delete;

    MainWindow* window() const { return window_; }
    void showWindow();

    // The runner, created when launching has finished.
    std::unique_ptr<TaskWrapper> unixTask;
    // What the "Connected Clients…" sheet shows and does; owned by its sheet.
    ConnectedClientsSheet* connectedClients = nullptr;

    // Outlets, set from the window resource.
    Sheet* loginPanel = nullptr;
    QLineEdit* administratorField = nullptr;
    QLineEdit* passwordField = nullptr;
    QLabel* passwordInfoField = nullptr;
    QCheckBox* savePasswordInKeychain = nullptr;
    QPushButton* loginButton = nullptr;
    QPushButton* quitButton = nullptr;
    QProgressBar* progressIndicator = nullptr;
    QPushButton* vpnButton = nullptr;
    QLabel* vpnLight = nullptr;
    QComboBox* vpnTypeMenu = nullptr;
    QLineEdit* vpnHostField = nullptr;
    QLineEdit* sharedSecretField = nullptr;
    QLineEdit* dnsServerAddressesField = nullptr;
    QLineEdit* searchDomainsField = nullptr;
    QLineEdit* startIPAddressField = nullptr;
    QLineEdit* endIPAddressField = nullptr;
    Sheet* sharedSecretPanel = nullptr;
    QLineEdit* sharedSecretPanelField = nullptr;
    QLabel* sharedSecretInfoField = nullptr;
    Sheet* setupCheckPanel = nullptr;
    QTableWidget* setupChecksTable = nullptr;
    Sheet* connectedClientsPanel = nullptr;
    AccountArrayController* userAccountsController = nullptr;
    QTableView* userAccountsTableView = nullptr;
    Sheet* userAccountsPanel = nullptr;
    QLabel* userAccountsInfoField = nullptr;
    QLineEdit* userNameField = nullptr;
    QLineEdit* userPasswordField = nullptr;
    QLineEdit* userPasswordVerifyField = nullptr;
    Sheet* userResetPasswordPanel = nullptr;
    QLabel* userResetPasswordInfoField = nullptr;
    QLineEdit* userResetPasswordUserNameField = nullptr;
    QLineEdit* userResetPasswordField = nullptr;
    QLineEdit* userResetPasswordVerifyField = nullptr;
    QLabel* portForwardingInfo = nullptr;
    Sheet* sendProfilePanel = nullptr;
    QLabel* sendProfileIntroField = nullptr;
    QLabel* sendProfileCodeImage = nullptr;
    QLineEdit* sendProfileAddressField = nullptr;
    QLabel* sendProfileTimeLeftField = nullptr;
    QLabel* sendProfileInfoField = nullptr;
    Sheet* backUpPanel = nullptr;
    QLineEdit* backUpFileField = nullptr;
    QLineEdit* backUpPassphraseField = nullptr;
    QLineEdit* backUpPassphraseVerifyField = nullptr;
    QLabel* backUpInfoField = nullptr;
    Sheet* restorePanel = nullptr;
    QLineEdit* restoreFileField = nullptr;
    QLineEdit* restorePassphraseField = nullptr;
    QLabel* restoreSummaryLabel = nullptr;
    QLabel* restoreSummaryField = nullptr;
    QLabel* restoreInfoField = nullptr;
    QPushButton* restoreOpenButton = nullptr;
    QPushButton* restoreButton = nullptr;

    // Application shell: start-up, login and the reload (WindowController_Startup.cpp), installation
    // and de-installation (WindowController_Install.cpp), closing (WindowController_Closing.cpp),
    // the update check and the web links (WindowController_Update.cpp).
    void awakeFromNib();
    void applicationDidFinishLaunching();
    // 0: the administrator is authenticated; 1: not.
    int shouldAccessBeGranted();
    void doLogin(QObject* sender);
    void quitApp(QObject* sender);
    void doStartUpChecks();
    void doSanityCheck();
    // Whether a path of this machine names any existing file-system object (symbolic links followed).
    bool checkIfUnixPathExists(const std::string& path) const;
    // Loads the settings, the account list and the status, in this order.
    void reloadData(QObject* sender);
    bool windowShouldClose(QObject* sender);
    void checkForUpdates(QObject* sender);
    void loadURL(QObject* sender);
    void deInstall(QObject* sender);

    // The VPN server: settings, shared secret, start, restart, stop and status
    // (WindowController_VpnServer.cpp).
    void loadVPNSettings();
    void vpnConfig();
    void checkStatusLights(QObject* sender);
    void VPN(QObject* sender);
    // The modifier keys held, in the Mac's bits: Option turns "Restart VPN" into "Stop VPN".
    void flagsChanged(std::uint64_t modifierFlags);
    bool checkIfOpenPort(int portNo);
    bool checkIfLightIsOn(QLabel* light, int portNo);
    void showSharedSecretPanel(QObject* sender);
    void closeSharedSecretPanel(QObject* sender);
    // Beeps, says why in the sheet and puts the focus back into its field.
    void refuseSharedSecret(const char* message);

    // The setup checks (WindowController_SetupCheck.cpp): "Check Setup…" shows them in a sheet;
    // a start logs the first that failed.
    void checkSetup(QObject* sender);
    // On the window's settings, the secret typed and the directory's accounts.
    std::vector<SetupCheck> runSetupChecks();
    // "Connected Clients…": the sheet of who is connected (app/ConnectedClientsSheet.h).
    void showConnectedClients(QObject* sender);

    // VPN user accounts (WindowController_Accounts.cpp).
    void loadUserAccountsArray();
    void addUser(QObject* sender);
    void saveUser(QObject* sender);
    void handleDoubleClick(QObject* sender);
    void saveNewPassword(QObject* sender);
    void deleteUser(QObject* sender);
    void controlTextDidChange(QObject* control);

    // Network address suggestion (WindowController_Network.cpp) and client profile export
    // (WindowController_Profiles.cpp).
    void suggestIPAddresses(QObject* sender);
    // Given a password field: the profile goes onto the Desktop with that password; given any
    // other sender: through a save dialog, with no password.
    void saveMobileConfigProfile(QObject* sender);
    // Whether the account sheets' signing box can be used: a certificate and key for the host.
    void setSignMobileConfigFileCheckBox();
    // "Send Profile to Phone…" (WindowController_HandOver.cpp): the selected account's profile
    // offered once at a one-time address, in a sheet whose closing ends the offer.
    void sendProfileToPhone(QObject* sender);
    void closeSendProfilePanel(QObject* sender);

    // One-file backup and restore (WindowController_Backup.cpp): "Back Up Server…" asks where,
    // then for the passphrase twice; "Restore Server…" asks which file, then for its passphrase,
    // shows what it holds and restores on a second click.
    void backUpServer(QObject* sender);
    void closeBackUpPanel(QObject* sender);
    void restoreServer(QObject* sender);
    // Cancel (tag 0), Open (1) or Restore (2).
    void closeRestorePanel(QObject* sender);

    // Ends the sheet that holds the sending control, whichever subsystem's (WindowController.cpp).
    void closeSheet(QObject* sender);

    // The road every root command takes: unixTask, or the runner the services name instead.
    CommandRunner& runner();
    const AppServices& services() const { return services_; }

    // Test seam: told of every action method a control dispatches to, with its sender, just
    // before the method runs.
    using Action = void (WindowController::*)(QObject* sender);
    void setActionObserver(std::function<void(Action, QObject*)> observer) { actionObserver_ = std::move(observer); }

private:
    struct Forms;

    void loadWindowResource();
    void createRunner();
    void connectActions();
    template <typename Control, typename Signal> void connectAction(Control* control, Signal signal, Action action);
    void beginSheet(Sheet* sheet);
    void startProgress();
    void stopProgress();
    void rememberLoginChoices();
    // The start button's title, and its accessible name with it.
    void setVpnButtonTitle(const QString& title);
    // What the settings controls hold, exactly as typed.
    ServerSettings serverSettings() const;
    // The server files of this run: templates in the resource directory, temporary copies in the
    // run folder inside the platform root.
    ServerFileLocations serverFileLocations() const;
    void logFailedWrites(const VpnConfigResult& result);
    // Ends any edit in progress, as making the window its own first responder does.
    void endEditing();
    // The first selected account's name; nothing when no row is selected.
    std::optional<std::string> selectedUserName() const;
    // A failed entry in a sheet: a beep, the message in the sheet's info field, the focus on the field.
    void reportEntryProblem(const EntryProblem& problem, QLabel* infoField, QLineEdit* field);
    void beginAlertSheet(const AlertText& text, std::function<void(int)> completionHandler = {});
    // The restore sheet back at its first step, holding nothing of an opened backup.
    void resetRestorePanel();
    // What the confirmation's answer starts: the deletion of the named account.
    void deleteConfirmed(int returnCode, const std::string& userName);
    // The time left, or how the offer ended, in its sheet.
    void showOfferState();

    AppServices services_;
    // Made fresh for this run and removed with the controller: the resource directory may be
    // read-only and is shared by every running copy.
    std::unique_ptr<RunFolder> runFolder_;
    std::unique_ptr<Forms> forms_;
    MainWindow* window_ = nullptr;
    // Made once the window exists, so flagsChanged hears every change of the modifier keys.
    ModifierFlagsFilter* modifierFlagsFilter_ = nullptr;
    std::function<void(Action, QObject*)> actionObserver_;
    // The open offer of "Send Profile to Phone…", and the tick that shows its time left.
    std::unique_ptr<ProfileOffer> profileOffer_;
    QTimer* offerTimer_ = nullptr;
    // The backup the restore sheet opened, until it is restored or the sheet closes.
    std::shared_ptr<ServerBackup> openedBackup_;
};

} // namespace veltrona
