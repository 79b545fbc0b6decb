#include "app/UpdateForm.h"

#include "platform/FileOps.h"
#include "platform/SpecialFolders.h"
#include "pordane/BuildConfig.h"
#include "views/UpdateDialogs.h"
#include "widgets/AppIcon.h"
#include "widgets/PordaneStyle.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <climits>
#include <memory>

namespace pordane::app {

bool OcultarMensajeExito = false;
bool OcultarVentana = false;
bool ActualizacionRealizada = false;

namespace {
constexpr int ClientWidth = 337;
constexpr int ClientHeight = 115;
} // namespace

TFormUpdate::TFormUpdate(update::TUpdaterSettings settings, update::TUpdaterSystem system,
                         views::UpdateDialogs* dialogs)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      VexorUpdater(std::move(settings), std::move(system))
{
    setObjectName(QStringLiteral("FormUpdate"));
    setWindowTitle(QStringLiteral("Información..."));
    setFont(widgets::pordaneFont());
    setFixedSize(ClientWidth, ClientHeight);
    // No owner form yet at start-up: centred on the screen.
    widgets::centreOnScreen(*this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 48, 48);
    Image1->setPixmap(widgets::applicationIcon().pixmap(48, 48));

    LabelInfo = new QLabel(this);
    LabelInfo->setObjectName(QStringLiteral("LabelInfo"));
    LabelInfo->setGeometry(64, 16, 257, 41);
    LabelInfo->setWordWrap(true);
    LabelInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelInfo->setText(QStringLiteral("Actualizando el software.\nEspere unos instantes mientras se descargan los "
                                      "archivos de actualización."));

    Progress1 = new QProgressBar(this);
    Progress1->setObjectName(QStringLiteral("Progress1"));
    Progress1->setGeometry(8, 62, 319, 17);
    Progress1->setTextVisible(false);
    Progress1->setRange(0, 100);
    Progress1->setValue(0);

    BotonCancel = new QPushButton(QStringLiteral("Cancelar"), this);
    BotonCancel->setObjectName(QStringLiteral("BotonCancel"));
    BotonCancel->setGeometry(129, 85, 75, 25);
    connect(BotonCancel, &QPushButton::clicked, this, [this] { BotonCancelClick(); });

    VexorUpdater.setObserver(this);
    VexorUpdater.setDialogs(dialogs);
}

TFormUpdate::~TFormUpdate()
{
    VexorUpdater.setObserver(nullptr);
}

bool TFormUpdate::confirmCancel()
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(ConfirmCancelTitle),
                    QString::fromUtf8(ConfirmCancelText), QMessageBox::Yes | QMessageBox::No);
    box.setObjectName(QStringLiteral("ConfirmarCancelacion"));
    box.setDefaultButton(QMessageBox::No);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box.exec() == QMessageBox::Yes;
}

void TFormUpdate::BotonCancelClick()
{
    if (!confirmCancel())
        return;
    try {
        VexorUpdater.Cancel();
        close();
    } catch (...) {
        // As the window's own handlers do: an error here must not end the start.
    }
}

void TFormUpdate::VexorUpdaterBeforeFileDownload(int, const std::string&, const std::string&)
{
    if (OcultarVentana || isVisible())
        return;
    show();
    if (onShown) {
        auto once = std::move(onShown);
        onShown = nullptr;
        once(*this);
    }
}

void TFormUpdate::VexorUpdaterFileProgress(const std::string&, int64_t Pos, int64_t Size)
{
    // The bar counts in int: large files are shown in KiB.
    const int64_t scale = Size > INT_MAX || Pos > INT_MAX ? 1024 : 1;
    Progress1->setMaximum(static_cast<int>(std::min<int64_t>(Size / scale, INT_MAX)));
    Progress1->setValue(static_cast<int>(std::min<int64_t>(Pos / scale, Progress1->maximum() ? Progress1->maximum() : INT_MAX)));
}

void TFormUpdate::VexorUpdaterSuccess()
{
    if (!OcultarMensajeExito) {
        QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(), QString::fromUtf8(SuccessText),
                        QMessageBox::Ok);
        box.exec();
    }
    ActualizacionRealizada = true;
}

void TFormUpdate::VexorUpdaterAppRestart(bool& Allow)
{
    Allow = true;
}

void TFormUpdate::VexorUpdaterAppDoClose()
{
    close();
}

void TFormUpdate::OnBeforeFileDownload(update::TUpdater&, int FileIdx, const std::string& FileDescription,
                                       const std::string& URL)
{
    VexorUpdaterBeforeFileDownload(FileIdx, FileDescription, URL);
}

void TFormUpdate::OnFileProgress(update::TUpdater&, const std::string& FileName, int64_t Pos, int64_t Size)
{
    VexorUpdaterFileProgress(FileName, Pos, Size);
}

void TFormUpdate::OnSuccess(update::TUpdater&)
{
    VexorUpdaterSuccess();
}

bool TFormUpdate::OnAppRestart(update::TUpdater&, bool& Allow)
{
    VexorUpdaterAppRestart(Allow);
    return true;
}

bool TFormUpdate::OnAppDoClose(update::TUpdater&)
{
    VexorUpdaterAppDoClose();
    return true;
}

bool ComprobarActualizacion(const std::string& AppName, const std::string& ControlFileURL, bool OcultarMensajeExito_,
                            bool OcultarVentana_, const UpdateCheckSetup& setup)
{
    bool result = false;
    update::TUpdaterSettings settings = setup.settings;
    settings.URL = ControlFileURL;
    // Freed on every way out, an escaping error included.
    const auto form = std::make_unique<TFormUpdate>(settings, setup.system(settings), setup.dialogs);
    if (form->VexorUpdater.NewVersionAvailable(false)) {
        form->setWindowTitle(QString::fromStdString("Actualizando " + AppName + " " +
                                                    form->VexorUpdater.State().FNewVersionInfo));
        OcultarMensajeExito = OcultarMensajeExito_;
        OcultarVentana = OcultarVentana_;
        form->onShown = setup.onWindowShown;
        form->VexorUpdater.DoUpdate();
        if (ActualizacionRealizada && form->VexorUpdater.State().Restart != update::RestartOutcome::Failed)
            result = true;
    }
    return result;
}

bool ComprobarActualizacionAtStartup(const UpdateCheckSetup& setup)
{
    // A package manager owns a folder we cannot write: leave it to it.
    const auto folder = platform::specialFolder(platform::SpecialFolder::Program);
    if (!folder)
        return false;
    const auto probe = platform::createUniqueFile(*folder, "PUPD");
    if (!probe)
        return false;
    std::error_code ec;
    std::filesystem::remove(*probe, ec);
    return ComprobarActualizacion("Pordane", config::UpdateControlFileURL, true, false, setup);
}

} // namespace pordane::app
