#include "app/SoundingCommands.h"

#include "analysis/CorrelationRuns.h"
#include "app/CommandIds.h"
#include "app/CommandRouter.h"
#include "dsp/CommandResult.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/LoadPipeline.h"
#include "ui/CConfigDialog.h"
#include "ui/CVelocityTableDialog.h"
#include "ui/UserPrompts.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <new>
#include <string>
#include <vector>

namespace korvane {

SoundingCommands::SoundingCommands(CKorvaneDoc& doc, QWidget& view, UserPrompts& prompts,
                                   CommandRouter& router)
    : doc_(doc), view_(view), prompts_(prompts), router_(router) {}

bool SoundingCommands::OnCommand(int id) {
    switch (id) {
    case cmd::Load:
        LoadCommand();
        return true;
    case cmd::Configurations:
        OnConfigurations();
        return true;
    case cmd::RunCrossCorrelation:
        OnRunCrossCorrelation();
        return true;
    case cmd::AutocorrelateRawWaves:
        OnAutocorrelateRawWaves();
        return true;
    case cmd::AutocorrelateFilteredWaves:
        OnAutocorrelateFilteredWaves();
        return true;
    case cmd::ViewVelocityData:
        OnViewVelocityData();
        return true;
    default:
        return false;
    }
}

void SoundingCommands::RunLong(const std::function<CommandResult(ProgressReporter&)>& work) {
    CommandResult result;
    {
        CommandRouter::BusyScope busy(router_);
        try {
            const auto progress = prompts_.CreateProgress(&view_);
            result = work(*progress);
        } catch (const KorvaneError& error) {
            result = {CommandOutcome::Failed, error.what(), {}, {}};
        } catch (const std::bad_alloc&) {
            result = {CommandOutcome::Failed, "Memory allocation fails!", {}, {}};
        }
    }
    // The panel is gone before the message shows.
    doc_.NotifyChanged();
    view_.update();
    if (!result.message.empty())
        prompts_.ShowMessage(QString::fromStdString(result.message));
    if (!result.warning.empty())
        prompts_.ShowMessage(QString::fromStdString(result.warning));
}

void SoundingCommands::LoadCommand() {
    const QStringList files = prompts_.AskOpenFileNames("All Files (*)");
    if (files.isEmpty())
        return;
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& file : files)
        paths.push_back(QFile::encodeName(file).toStdString());
    // The diagnostic files go beside the wave files.
    const std::string folder =
        QFile::encodeName(QFileInfo(files.constFirst()).absolutePath()).toStdString();
    RunLong(
        [&](ProgressReporter& progress) { return LoadSounding(doc_, paths, folder, progress); });
}

void SoundingCommands::OnConfigurations() {
    CConfigDialog dialog(prompts_, view_.window());
    dialog.geophoneToTip = doc_.geophoneToTip;
    dialog.hammerToRod = doc_.hammerToRod;
    if (prompts_.RunDialog(dialog) != QDialog::Accepted)
        return;
    // New distances apply to work started from now on; the document is not marked modified.
    doc_.geophoneToTip = dialog.geophoneToTip;
    doc_.hammerToRod = dialog.hammerToRod;
}

void SoundingCommands::OnRunCrossCorrelation() {
    RunLong([&](ProgressReporter& progress) { return RunCrossCorrelation(doc_, progress); });
}

void SoundingCommands::OnAutocorrelateRawWaves() {
    RunLong([&](ProgressReporter& progress) { return RunRawAutocorrelation(doc_, progress); });
}

void SoundingCommands::OnAutocorrelateFilteredWaves() {
    RunLong([&](ProgressReporter& progress) { return RunFilteredAutocorrelation(doc_, progress); });
}

void SoundingCommands::OnViewVelocityData() {
    try {
        CVelocityTableDialog dialog(doc_, prompts_, view_.window());
        prompts_.RunDialog(dialog);
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
    }
}

} // namespace korvane
