#include "app/SoundingCommands.h"

#include "analysis/CorrelationRuns.h"
#include "analysis/IntervalAnalysis.h"
#include "app/CommandIds.h"
#include "app/CommandRouter.h"
#include "app/DocumentCommands.h"
#include "dsp/CommandResult.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DiagnosticFiles.h"
#include "sounding/LoadPipeline.h"
#include "ui/CConfigDialog.h"
#include "ui/CImportDialog.h"
#include "ui/CVelocityTableDialog.h"
#include "ui/ImportPreview.h"
#include "ui/UserPrompts.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <new>
#include <string>
#include <vector>

namespace korvane {

SoundingCommands::SoundingCommands(CKorvaneDoc& doc, QWidget& view, UserPrompts& prompts,
                                   CommandRouter& router, DocumentCommands& documents)
    : doc_(doc), view_(view), prompts_(prompts), router_(router), documents_(documents) {}

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

CommandResult
SoundingCommands::RunLong(const std::function<CommandResult(ProgressReporter&)>& work) {
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
    // The panel is gone before any message shows.
    doc_.NotifyChanged();
    view_.update();
    return result;
}

void SoundingCommands::Report(const CommandResult& result) {
    if (!result.message.empty())
        prompts_.ShowMessage(QString::fromStdString(result.message));
    if (!result.warning.empty())
        prompts_.ShowMessage(QString::fromStdString(result.warning));
}

void SoundingCommands::LoadCommand() {
    if (!documents_.SaveModified())
        return;
    const QStringList files = prompts_.AskOpenFileNames(kRecordingFilter);
    if (!files.isEmpty())
        LoadRecordings(files);
}

void SoundingCommands::LoadDropped(const QStringList& files) {
    if (documents_.SaveModified())
        LoadRecordings(files);
}

QString SoundingCommands::LeftOutNote(const QStringList& names) {
    return "Left out, as this program writes them and they are not wave recordings: " +
           names.join(", ");
}

bool SoundingCommands::LoadRecordings(const QStringList& chosen) {
    QStringList files;
    QStringList leftOut;
    for (const QString& file : chosen) {
        const QString name = QFileInfo(file).fileName();
        if (DiagnosticFiles::IsOwnOutput(QFile::encodeName(name).toStdString()))
            leftOut.append(name);
        else
            files.append(file);
    }
    const QString note = leftOut.isEmpty() ? QString() : LeftOutNote(leftOut);
    if (files.isEmpty()) {
        prompts_.ShowMessage(note + "\nNo wave files were chosen.");
        return false;
    }
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& file : files)
        paths.push_back(QFile::encodeName(file).toStdString());
    // The diagnostic files go beside the wave files.
    const std::string folder =
        QFile::encodeName(QFileInfo(files.constFirst()).absolutePath()).toStdString();
    ImportOptions options;
    if (!AskImportOptions(paths, options))
        return false;

    CKorvaneDoc previous;
    try {
        previous = doc_; // what a load that does not complete gives back
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
        return false;
    }
    CommandResult result = RunLong([&](ProgressReporter& progress) {
        return LoadSounding(doc_, paths, folder, progress, options);
    });
    // A cancel at the very end keeps the complete sounding: nothing was cancelled then.
    const bool kept =
        result.ok() || (result.outcome == CommandOutcome::Cancelled && doc_.dataLoaded != 0);
    if (kept) {
        // Two traces of every file were taken as a left and a right strike.
        if (options.oppositeChannel)
            doc_.analysisSettings.strikePairs = true;
        if (!result.ok()) {
            result.message.clear();
            doc_.SetModifiedFlag(false);
        }
        documents_.DocumentReplaced(QString());
    } else {
        doc_ = std::move(previous);
        doc_.NotifyChanged();
        if (!result.failedPath.empty())
            result.message =
                QFileInfo(QFile::decodeName(result.failedPath.c_str())).fileName().toStdString() +
                ": " + result.message;
    }
    Report(result);
    if (!note.isEmpty())
        prompts_.ShowMessage(note);
    return kept;
}

bool SoundingCommands::AskImportOptions(const std::vector<std::string>& paths,
                                        ImportOptions& options) {
    try {
        ImportPreview preview(paths, doc_.samplesPerRecord);
        if (!preview.NeedsQuestions())
            return true;
        CImportDialog dialog(std::move(preview), prompts_, view_.window());
        if (prompts_.RunDialog(dialog) != QDialog::Accepted)
            return false;
        options = dialog.Options();
        return true;
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
        return false;
    }
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
    doc_.NotifyChanged(); // results computed with the old offset are now out of date
}

void SoundingCommands::OnRunCrossCorrelation() {
    // The interval analysis follows every completed run, so its results always belong to the
    // run's: with the default settings they repeat its velocities and add the delays in
    // milliseconds and the quality flags. Results of an earlier run do not outlive this one.
    doc_.analysisResults = {};
    Report(RunLong([&](ProgressReporter& progress) {
        CommandResult result = RunCrossCorrelation(doc_, progress);
        if (!result.ok())
            return result;
        CommandResult analysis = IntervalAnalysis::Run(doc_, progress);
        if (analysis.outcome == CommandOutcome::Failed)
            analysis.message = "The cross-correlation is complete, the interval analysis is not: " +
                               analysis.message;
        return analysis;
    }));
}

void SoundingCommands::OnAutocorrelateRawWaves() {
    Report(
        RunLong([&](ProgressReporter& progress) { return RunRawAutocorrelation(doc_, progress); }));
}

void SoundingCommands::OnAutocorrelateFilteredWaves() {
    Report(RunLong(
        [&](ProgressReporter& progress) { return RunFilteredAutocorrelation(doc_, progress); }));
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
