// Construction: the window resource loaded, outlets bound, actions connected.
#include "app/WindowController.h"

#include "app/AccountArrayController.h"
#include "app/AppResources.h"
#include "app/DefaultsBinding.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowStyle.h"
#include "services/TaskWrapper.h"

#include "ui_LoginPanel.h"
#include "ui_MainWindow.h"
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

namespace veltrona {

namespace {

// Sheets belong to the main window, as a Mac sheet belongs to its parent.
Sheet* makeSheet(MainWindow* window)
{
    auto* sheet = new Sheet(window);
    sheet->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    return sheet;
}

// Every action method takes its sender, as AppKit passes it.
template <typename Control, typename Signal>
void connectAction(Control* control, Signal signal, WindowController* controller,
                   void (WindowController::*action)(QObject*))
{
    QObject::connect(control, signal, controller, [controller, control, action] { (controller->*action)(control); });
}

} // namespace

WindowController::WindowController(AppServices services) : services_(std::move(services))
{
    loadWindowResource();
    connectActions();
    awakeFromNib();
}

WindowController::~WindowController()
{
    delete window_; // takes the sheets with it
}

void WindowController::loadWindowResource()
{
    window_ = new MainWindow;
    Ui::MainWindow mainUi;
    mainUi.setupUi(window_);
    applyWindowStyle(window_);

    loginPanel = makeSheet(window_);
    Ui::LoginPanel loginUi;
    loginUi.setupUi(loginPanel);
    administratorField = loginUi.administratorField;
    passwordField = loginUi.passwordField;
    passwordInfoField = loginUi.passwordInfoField;
    savePasswordInKeychain = loginUi.savePasswordInKeychain;
    loginButton = loginUi.loginButton;
    quitButton = loginUi.quitButton;

    progressIndicator = mainUi.progressIndicator;
    vpnButton = mainUi.vpnButton;
    vpnLight = mainUi.vpnLight;
    vpnTypeMenu = mainUi.vpnTypeMenu;
    vpnHostField = mainUi.vpnHostField;
    sharedSecretField = mainUi.sharedSecretField;
    dnsServerAddressesField = mainUi.dnsServerAddressesField;
    searchDomainsField = mainUi.searchDomainsField;
    startIPAddressField = mainUi.startIPAddressField;
    endIPAddressField = mainUi.endIPAddressField;

    sharedSecretPanel = makeSheet(window_);
    Ui::SharedSecretPanel secretUi;
    secretUi.setupUi(sharedSecretPanel);
    sharedSecretPanelField = secretUi.sharedSecretPanelField;

    userAccountsController = new AccountArrayController(this);
    userAccountsController->setObjectName(QStringLiteral("userAccountsController"));
    userAccountsTableView = mainUi.userAccountsTableView;
    userAccountsController->attachTableView(userAccountsTableView);

    userAccountsPanel = makeSheet(window_);
    Ui::UserAccountsPanel accountsUi;
    accountsUi.setupUi(userAccountsPanel);
    userAccountsInfoField = accountsUi.userAccountsInfoField;
    userNameField = accountsUi.userNameField;
    userPasswordField = accountsUi.userPasswordField;
    userPasswordVerifyField = accountsUi.userPasswordVerifyField;

    userResetPasswordPanel = makeSheet(window_);
    Ui::UserResetPasswordPanel resetUi;
    resetUi.setupUi(userResetPasswordPanel);
    userResetPasswordInfoField = resetUi.userResetPasswordInfoField;
    userResetPasswordUserNameField = resetUi.userResetPasswordUserNameField;
    userResetPasswordField = resetUi.userResetPasswordField;
    userResetPasswordVerifyField = resetUi.userResetPasswordVerifyField;

    portForwardingInfo = mainUi.portForwardingInfo;

    for (Sheet* sheet : {loginPanel, sharedSecretPanel, userAccountsPanel, userResetPasswordPanel})
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

void WindowController::connectActions()
{
    window_->setShouldCloseHandler([this] { return windowShouldClose(window_); });

    connectAction(loginButton, &QPushButton::clicked, this, &WindowController::doLogin);
    connectAction(quitButton, &QPushButton::clicked, this, &WindowController::quitApp);
    connectAction(vpnButton, &QPushButton::clicked, this, &WindowController::VPN);

    auto button = [](QWidget* root, const char* name) {
        return root->findChild<QAbstractButton*>(QString::fromLatin1(name));
    };
    auto action = [this](const char* name) { return window_->findChild<QAction*>(QString::fromLatin1(name)); };

    using Action = void (WindowController::*)(QObject*);
    const std::pair<const char*, Action> windowButtons[] = {
        {"showSharedSecretPanelButton", &WindowController::showSharedSecretPanel},
        {"suggestIPAddressesButton", &WindowController::suggestIPAddresses},
        {"addUserButton", &WindowController::addUser},
        {"deleteUserButton", &WindowController::deleteUser},
        {"resetPasswordButton", &WindowController::handleDoubleClick},
        {"saveMobileConfigProfileButton", &WindowController::saveMobileConfigProfile},
    };
    for (const auto& [name, method] : windowButtons)
        connectAction(button(window_, name), &QAbstractButton::clicked, this, method);

    const std::pair<const char*, Action> menuItems[] = {
        {"saveMobileConfigProfileAction", &WindowController::saveMobileConfigProfile},
        {"showSharedSecretPanelAction", &WindowController::showSharedSecretPanel},
        {"suggestIPAddressesAction", &WindowController::suggestIPAddresses},
        {"deInstallAction", &WindowController::deInstall},
        {"addUserAction", &WindowController::addUser},
        {"resetPasswordAction", &WindowController::handleDoubleClick},
        {"deleteUserAction", &WindowController::deleteUser},
        {"checkForUpdatesAction", &WindowController::checkForUpdates},
        {"homePageAction", &WindowController::loadURL},
        {"productPageAction", &WindowController::loadURL},
    };
    for (const auto& [name, method] : menuItems)
        connectAction(action(name), &QAction::triggered, this, method);
    connect(action("closeWindowAction"), &QAction::triggered, window_, &QWidget::close);
    connect(action("quitAction"), &QAction::triggered, this, [this] { services_.interaction.terminate(); });

    connectAction(button(sharedSecretPanel, "sharedSecretCancelButton"), &QAbstractButton::clicked, this,
                  &WindowController::closeSharedSecretPanel);
    connectAction(button(sharedSecretPanel, "sharedSecretSaveButton"), &QAbstractButton::clicked, this,
                  &WindowController::closeSharedSecretPanel);
    connectAction(button(userAccountsPanel, "userAccountsCreateButton"), &QAbstractButton::clicked, this,
                  &WindowController::saveUser);
    connectAction(button(userAccountsPanel, "userAccountsCancelButton"), &QAbstractButton::clicked, this,
                  &WindowController::closeSheet);
    connectAction(button(userResetPasswordPanel, "userResetPasswordSaveButton"), &QAbstractButton::clicked, this,
                  &WindowController::saveNewPassword);
    connectAction(button(userResetPasswordPanel, "userResetPasswordCancelButton"), &QAbstractButton::clicked, this,
                  &WindowController::closeSheet);

    // The controller is the delegate of these two fields: it sees every change the user makes.
    for (QLineEdit* field : {userNameField, sharedSecretPanelField})
        connectAction(field, &QLineEdit::textEdited, this, &WindowController::controlTextDidChange);
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

} // namespace veltrona
