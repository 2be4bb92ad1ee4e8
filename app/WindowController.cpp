// Construction (the window resource loaded, outlets bound, actions connected) and the helpers
// every subsystem's actions share: the runner, sheets, the progress indicator, ending an edit.
#include "app/WindowController.h"

#include "app/AccountArrayController.h"
#include "app/AppResources.h"
#include "app/ConnectedClientsSheet.h"
#include "app/DefaultsBinding.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/ModifierFlagsFilter.h"
#include "app/Sheet.h"
#include "app/WindowStyle.h"
#include "foundation/Text.h"
#include "handover/ProfileOffer.h"
#include "services/TaskWrapper.h"
#include "vpnserver/RunFolder.h"

#include "ui_BackUpPanel.h"
#include "ui_LoginPanel.h"
#include "ui_MainWindow.h"
#include "ui_SendProfilePanel.h"
#include "ui_RestorePanel.h"
#include "ui_SetupCheckPanel.h"
#include "ui_SharedSecretPanel.h"
#include "ui_UserAccountsPanel.h"
#include "ui_UserResetPasswordPanel.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <QTimer>

namespace veltrona {

// The generated forms of the main window and its eight sheets, kept for the controller's life: every
// control is reached through a member the compiler checks, never looked up by its name.
struct WindowController::Forms {
    Ui::MainWindow main;
    Ui::LoginPanel login;
    Ui::SharedSecretPanel sharedSecret;
    Ui::SetupCheckPanel setupCheck;
    Ui::UserAccountsPanel userAccounts;
    Ui::UserResetPasswordPanel userResetPassword;
    Ui::SendProfilePanel sendProfile;
    Ui::BackUpPanel backUp;
    Ui::RestorePanel restore;
};

namespace {

// Sheets belong to the main window, as a Mac sheet belongs to its parent.
Sheet* makeSheet(MainWindow* window)
{
    auto* sheet = new Sheet(window);
    sheet->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    return sheet;
}

} // namespace

WindowController::WindowController(AppServices services)
    : services_(std::move(services)), runFolder_(std::make_unique<RunFolder>(services_.paths)),
      forms_(std::make_unique<Forms>())
{
    loadWindowResource();
    // Made once the window exists: it passes on what reaches the window's own controls.
    modifierFlagsFilter_ =
        new ModifierFlagsFilter(this, window_, [this](std::uint64_t modifierFlags) { flagsChanged(modifierFlags); });
    connectActions();
    awakeFromNib();
}

WindowController::~WindowController()
{
    profileOffer_.reset(); // its address stops answering with the window
    delete window_;        // takes the sheets with it
}

void WindowController::loadWindowResource()
{
    Forms& ui = *forms_;
    window_ = new MainWindow;
    ui.main.setupUi(window_);
    applyWindowStyle(window_);

    loginPanel = makeSheet(window_);
    ui.login.setupUi(loginPanel);
    administratorField = ui.login.administratorField;
    passwordField = ui.login.passwordField;
    passwordInfoField = ui.login.passwordInfoField;
    savePasswordInKeychain = ui.login.savePasswordInKeychain;
    loginButton = ui.login.loginButton;
    quitButton = ui.login.quitButton;

    progressIndicator = ui.main.progressIndicator;
    vpnButton = ui.main.vpnButton;
    vpnLight = ui.main.vpnLight;
    vpnTypeMenu = ui.main.vpnTypeMenu;
    vpnHostField = ui.main.vpnHostField;
    sharedSecretField = ui.main.sharedSecretField;
    dnsServerAddressesField = ui.main.dnsServerAddressesField;
    searchDomainsField = ui.main.searchDomainsField;
    startIPAddressField = ui.main.startIPAddressField;
    endIPAddressField = ui.main.endIPAddressField;

    sharedSecretPanel = makeSheet(window_);
    ui.sharedSecret.setupUi(sharedSecretPanel);
    sharedSecretPanelField = ui.sharedSecret.sharedSecretPanelField;
    sharedSecretInfoField = ui.sharedSecret.sharedSecretInfoField;

    setupCheckPanel = makeSheet(window_);
    ui.setupCheck.setupUi(setupCheckPanel);
    setupChecksTable = ui.setupCheck.setupChecksTable;

    connectedClientsPanel = makeSheet(window_);
    connectedClients = new ConnectedClientsSheet(window_, connectedClientsPanel, services_.interaction,
                                                 [this]() -> CommandRunner& { return runner(); });

    userAccountsController = new AccountArrayController(this);
    userAccountsController->setObjectName(QStringLiteral("userAccountsController"));
    userAccountsTableView = ui.main.userAccountsTableView;
    userAccountsController->attachTableView(userAccountsTableView);

    userAccountsPanel = makeSheet(window_);
    ui.userAccounts.setupUi(userAccountsPanel);
    userAccountsInfoField = ui.userAccounts.userAccountsInfoField;
    userNameField = ui.userAccounts.userNameField;
    userPasswordField = ui.userAccounts.userPasswordField;
    userPasswordVerifyField = ui.userAccounts.userPasswordVerifyField;

    userResetPasswordPanel = makeSheet(window_);
    ui.userResetPassword.setupUi(userResetPasswordPanel);
    userResetPasswordInfoField = ui.userResetPassword.userResetPasswordInfoField;
    userResetPasswordUserNameField = ui.userResetPassword.userResetPasswordUserNameField;
    userResetPasswordField = ui.userResetPassword.userResetPasswordField;
    userResetPasswordVerifyField = ui.userResetPassword.userResetPasswordVerifyField;

    portForwardingInfo = ui.main.portForwardingInfo;

    sendProfilePanel = makeSheet(window_);
    ui.sendProfile.setupUi(sendProfilePanel);
    sendProfileIntroField = ui.sendProfile.sendProfileIntroField;
    sendProfileCodeImage = ui.sendProfile.sendProfileCodeImage;
    sendProfileAddressField = ui.sendProfile.sendProfileAddressField;
    sendProfileTimeLeftField = ui.sendProfile.sendProfileTimeLeftField;
    sendProfileInfoField = ui.sendProfile.sendProfileInfoField;
    offerTimer_ = new QTimer(this);
    offerTimer_->setInterval(1000);
    connect(offerTimer_, &QTimer::timeout, this, [this] { showOfferState(); });

    backUpPanel = makeSheet(window_);
    ui.backUp.setupUi(backUpPanel);
    backUpFileField = ui.backUp.backUpFileField;
    backUpPassphraseField = ui.backUp.backUpPassphraseField;
    backUpPassphraseVerifyField = ui.backUp.backUpPassphraseVerifyField;
    backUpInfoField = ui.backUp.backUpInfoField;

    restorePanel = makeSheet(window_);
    ui.restore.setupUi(restorePanel);
    restoreFileField = ui.restore.restoreFileField;
    restorePassphraseField = ui.restore.restorePassphraseField;
    restoreSummaryLabel = ui.restore.restoreSummaryLabel;
    restoreSummaryField = ui.restore.restoreSummaryField;
    restoreInfoField = ui.restore.restoreInfoField;
    restoreOpenButton = ui.restore.restoreOpenButton;
    restoreButton = ui.restore.restoreButton;

    for (Sheet* sheet : {loginPanel, sharedSecretPanel, setupCheckPanel, connectedClientsPanel, userAccountsPanel,
                         userResetPasswordPanel, sendProfilePanel, backUpPanel, restorePanel})
        applyWindowStyle(sheet);
    bindCheckBoxesToDefaults(userAccountsPanel, services_.defaults);
    bindCheckBoxesToDefaults(userResetPasswordPanel, services_.defaults);

    // The indicator keeps its place while hidden, so the row does not jump when it appears.
    QSizePolicy policy = progressIndicator->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    progressIndicator->setSizePolicy(policy);
    progressIndicator->hide();
    vpnLight->setPixmap(imageNamed(QStringLiteral("red")));
}

template <typename Control, typename Signal>
void WindowController::connectAction(Control* control, Signal signal, Action action)
{
    // Every action method takes its sender, as AppKit passes it.
    connect(control, signal, this, [this, control, action] {
        if (actionObserver_)
            actionObserver_(action, control);
        (this->*action)(control);
    });
}

void WindowController::connectActions()
{
    const Forms& ui = *forms_;
    window_->setShouldCloseHandler([this] { return windowShouldClose(window_); });

    connectAction(loginButton, &QPushButton::clicked, &WindowController::doLogin);
    connectAction(quitButton, &QPushButton::clicked, &WindowController::quitApp);
    connectAction(vpnButton, &QPushButton::clicked, &WindowController::VPN);

    const std::pair<QAbstractButton*, Action> buttons[] = {
        {ui.main.showSharedSecretPanelButton, &WindowController::showSharedSecretPanel},
        {ui.main.suggestIPAddressesButton, &WindowController::suggestIPAddresses},
        {ui.main.addUserButton, &WindowController::addUser},
        {ui.main.deleteUserButton, &WindowController::deleteUser},
        {ui.main.resetPasswordButton, &WindowController::handleDoubleClick},
        {ui.main.saveMobileConfigProfileButton, &WindowController::saveMobileConfigProfile},
        {ui.sharedSecret.sharedSecretCancelButton, &WindowController::closeSharedSecretPanel},
        {ui.sharedSecret.sharedSecretSaveButton, &WindowController::closeSharedSecretPanel},
        {ui.setupCheck.setupCheckDoneButton, &WindowController::closeSheet},
        {ui.userAccounts.userAccountsCreateButton, &WindowController::saveUser},
        {ui.userAccounts.userAccountsCancelButton, &WindowController::closeSheet},
        {ui.userResetPassword.userResetPasswordSaveButton, &WindowController::saveNewPassword},
        {ui.userResetPassword.userResetPasswordCancelButton, &WindowController::closeSheet},
        {ui.sendProfile.sendProfileDoneButton, &WindowController::closeSendProfilePanel},
        {ui.backUp.backUpCancelButton, &WindowController::closeBackUpPanel},
        {ui.backUp.backUpSaveButton, &WindowController::closeBackUpPanel},
        {ui.restore.restoreCancelButton, &WindowController::closeRestorePanel},
        {ui.restore.restoreOpenButton, &WindowController::closeRestorePanel},
        {ui.restore.restoreButton, &WindowController::closeRestorePanel},
    };
    for (const auto& [button, method] : buttons)
        connectAction(button, &QAbstractButton::clicked, method);

    const std::pair<QAction*, Action> menuItems[] = {
        {ui.main.saveMobileConfigProfileAction, &WindowController::saveMobileConfigProfile},
        {ui.main.backUpServerAction, &WindowController::backUpServer},
        {ui.main.restoreServerAction, &WindowController::restoreServer},
        {ui.main.showSharedSecretPanelAction, &WindowController::showSharedSecretPanel},
        {ui.main.suggestIPAddressesAction, &WindowController::suggestIPAddresses},
        {ui.main.checkSetupAction, &WindowController::checkSetup},
        {ui.main.connectedClientsAction, &WindowController::showConnectedClients},
        {ui.main.deInstallAction, &WindowController::deInstall},
        {ui.main.addUserAction, &WindowController::addUser},
        {ui.main.resetPasswordAction, &WindowController::handleDoubleClick},
        {ui.main.deleteUserAction, &WindowController::deleteUser},
        {ui.main.sendProfileToPhoneAction, &WindowController::sendProfileToPhone},
        {ui.main.checkForUpdatesAction, &WindowController::checkForUpdates},
        {ui.main.homePageAction, &WindowController::loadURL},
        {ui.main.productPageAction, &WindowController::loadURL},
    };
    for (const auto& [item, method] : menuItems)
        connectAction(item, &QAction::triggered, method);
    connect(ui.main.closeWindowAction, &QAction::triggered, window_, &QWidget::close);
    connect(ui.main.quitAction, &QAction::triggered, this, [this] { services_.interaction.terminate(); });

    // The controller is the delegate of these two fields: it sees every change the user makes.
    for (QLineEdit* field : {userNameField, sharedSecretPanelField})
        connectAction(field, &QLineEdit::textEdited, &WindowController::controlTextDidChange);
    connectAction(userAccountsTableView, &QTableView::doubleClicked, &WindowController::handleDoubleClick);

    // Control characters that reach a settings field would make the server file no longer
    // readable as XML by other programs: they are dropped as they arrive, by whatever road (typed,
    // pasted, set through the accessibility interface or by the program).
    for (QLineEdit* field :
         {vpnHostField, dnsServerAddressesField, searchDomainsField, startIPAddressField, endIPAddressField}) {
        connect(field, &QLineEdit::textChanged, this, [field](const QString& text) {
            const QString kept = QString::fromStdString(withoutControlCharacters(text.toStdString()));
            if (kept != text)
                field->setText(kept);
        });
    }
}

void WindowController::showWindow()
{
    window_->show();
}

CommandRunner& WindowController::runner()
{
    if (services_.commandRunner)
        return *services_.commandRunner;
    if (!unixTask)
        createRunner();
    return *unixTask;
}

void WindowController::createRunner()
{
    unixTask = std::make_unique<TaskWrapper>(services_.authorization, services_.resourceDirectory, services_.log);
    // While a command runs the window keeps painting (the progress indicator shows) but takes no input.
    unixTask->setIdleHook([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

void WindowController::beginSheet(Sheet* sheet)
{
    services_.interaction.beginSheet(window_, sheet);
}

void WindowController::showConnectedClients(QObject* /*sender*/)
{
    endEditing();
    connectedClients->show();
}

void WindowController::closeSheet(QObject* sender)
{
    auto* control = qobject_cast<QWidget*>(sender);
    auto* sheet = control ? qobject_cast<QDialog*>(control->window()) : nullptr;
    if (!sheet || sheet == static_cast<QWidget*>(window_))
        return;
    services_.interaction.endSheet(sheet, sender->property("tag").toInt());
}

void WindowController::startProgress()
{
    progressIndicator->show();
}

void WindowController::stopProgress()
{
    progressIndicator->hide();
}

void WindowController::endEditing()
{
    // Only a field being typed into gives up the keyboard; a button keeps it for the next key.
    QWidget* focused = window_->focusWidget();
    if (qobject_cast<QLineEdit*>(focused) == nullptr)
        return;
    focused->clearFocus();
    window_->setFocus(Qt::OtherFocusReason);
}

} // namespace veltrona
