#include "app/ExportCommands.h"

#include "analysis/AgsExport.h"
#include "analysis/IntervalAnalysis.h"
#include "analysis/StaleResults.h"
#include "app/ChangeSoundingMetadata.h"
#include "app/CommandIds.h"
#include "app/CommandRouter.h"
#include "app/DocumentHistory.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "ui/CSoundingPropertiesDialog.h"
#include "ui/UserPrompts.h"
#include "view/ReportWriter.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <new>

namespace korvane {

namespace {

std::string Today() {
    return QDateTime::currentDateTimeUtc().date().toString(Qt::ISODate).toStdString();
}

} // namespace

ExportCommands::ExportCommands(CKorvaneDoc& doc, DocumentHistory& history, UserPrompts& prompts,
                               QWidget& view, CommandRouter& router)
    : doc_(doc), history_(history), prompts_(prompts), view_(view), router_(router) {}

bool ExportCommands::OnCommand(int id) {
    switch (id) {
    case cmd::FileSoundingProperties:
        OnSoundingProperties();
        return true;
    case cmd::FileExportAgs:
        OnExportAgs();
        return true;
    case cmd::FileExportReport:
        OnExportReport();
        return true;
    default:
        return false;
    }
}

bool ExportCommands::OnSoundingProperties() {
    CSoundingPropertiesDialog dialog(prompts_, view_.window());
    dialog.metadata = doc_.metadata;
    if (prompts_.RunDialog(dialog) != QDialog::Accepted)
        return false;
    if (dialog.metadata != doc_.metadata)
        history_.Push(std::make_unique<ChangeSoundingMetadata>(doc_, dialog.metadata));
    return true;
}

bool ExportCommands::ResultsReady() {
    if (!doc_.resultsValid) {
        prompts_.ShowMessage("There are no interval results to export: run Cross-Correlation "
                             "first.");
        return false;
    }
    if (StaleResults::OutOfDate(doc_)) {
        prompts_.ShowMessage("The results are out of date: run Cross-Correlation again before "
                             "exporting them.");
        return false;
    }
    if (doc_.analysisResults.valid)
        return true;
    CommandResult result;
    {
        CommandRouter::BusyScope busy(router_);
        try {
            const auto progress = prompts_.CreateProgress(&view_);
            result = IntervalAnalysis::Run(doc_, *progress);
        } catch (const KorvaneError& error) {
            result = {CommandOutcome::Failed, error.what(), {}, {}};
        } catch (const std::bad_alloc&) {
            result = {CommandOutcome::Failed, "Memory allocation fails!", {}, {}};
        }
    }
    doc_.NotifyChanged();
    if (!result.message.empty())
        prompts_.ShowMessage(QString::fromStdString(result.message));
    return result.ok();
}

QString ExportCommands::AskPath(const char* filter, const char* suffix) {
    QString path = prompts_.AskSaveFileName(filter, suffix);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) != 0)
        path += QString(".") + suffix;
    if (QFileInfo::exists(path) &&
        !prompts_.Confirm(QString("%1 already exists.\nDo you want to replace it?")
                              .arg(QFileInfo(path).fileName())))
        return {};
    return path;
}

QString ExportCommands::MissingIdentifiers() const {
    const bool project = doc_.metadata.projectId.empty();
    const bool location = doc_.metadata.locationId.empty();
    if (project && location)
        return "project id and location id";
    return project ? "project id" : location ? "location id" : QString();
}

void ExportCommands::OnExportAgs() {
    if (!ResultsReady())
        return;
    if (const QString missing = MissingIdentifiers(); !missing.isEmpty()) {
        prompts_.ShowMessage(QString("The AGS file needs the sounding's %1: enter %2 in the "
                                     "Sounding Properties.")
                                 .arg(missing, missing.contains(" and ") ? "them" : "it"));
        if (!OnSoundingProperties())
            return;
        if (const QString still = MissingIdentifiers(); !still.isEmpty()) {
            prompts_.ShowMessage("The AGS file was not written: the sounding has no " + still +
                                 ".");
            return;
        }
    }
    try {
        const QString path = AskPath(kAgsFilter, "ags");
        if (path.isEmpty())
            return;
        AgsOptions options;
        options.fileDate = Today();
        AgsExport::Save(doc_, options, QFile::encodeName(path).toStdString());
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
    }
}

void ExportCommands::OnExportReport() {
    if (!ResultsReady())
        return;
    try {
        const QString path = AskPath(kReportFilter, "pdf");
        if (path.isEmpty())
            return;
        ReportOptions options;
        options.date = Today();
        options.paper = ReportWriter::LocalePaper();
        ReportWriter::Save(doc_, options, QFile::encodeName(path).toStdString());
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
    }
}

} // namespace korvane
