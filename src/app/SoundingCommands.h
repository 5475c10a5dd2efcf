#pragma once

#include "app/CommandTarget.h"
#include "sounding/ImportOptions.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace korvane {

class CKorvaneDoc;
class CommandRouter;
class DocumentCommands;
class ProgressReporter;
struct CommandResult;
class UserPrompts;

// The view's commands that work on the Sounding: Load, Configurations, the cross-correlation
// run with the interval analysis that follows it, the autocorrelation runs, and the velocity
// table. The long ones run with a progress panel
// over the view and mark the router busy while they pump events, so no other command can
// change the Sounding under them. A load replaces the open sounding only when it completes:
// the document's file commands ask to save first and take the replacement. Owns nothing.
class SoundingCommands final : public CommandTarget {
public:
    SoundingCommands(CKorvaneDoc& doc, QWidget& view, UserPrompts& prompts, CommandRouter& router,
                     DocumentCommands& documents);

    bool OnCommand(int id) override;

    // File > Load...: asks to save a modified document, asks for the files, loads them.
    void LoadCommand();
    // Recordings dropped on the window: asks to save a modified document, then loads them.
    void LoadDropped(const QStringList& files);
    // Every load of recordings ends here, whether the files came from the dialog or a drop.
    // The program's own text files among them are left out with a note. Unless all are plain
    // wave files at 25 µs, the import dialog shows what each gives and takes the import
    // options first (Cancel loads nothing). A load that fails
    // or is cancelled before its end names the file and gives back the sounding shown before.
    // True when the new sounding replaced it.
    bool LoadRecordings(const QStringList& files);
    void OnConfigurations();
    void OnRunCrossCorrelation();
    void OnAutocorrelateRawWaves();
    void OnAutocorrelateFilteredWaves();
    void OnViewVelocityData();

    // File > Load...'s filter: every file first, as recordings are recognised by content.
    static constexpr const char* kRecordingFilter =
        "All Files (*);;Wave and Column Text (*.txt *.csv *.asc *.dat);;SEG-2 (*.sg2 *.seg2 *.dat)";

private:
    // Runs the import dialog when the files need it; false when the user cancelled it.
    bool AskImportOptions(const std::vector<std::string>& paths, ImportOptions& options);
    // Runs a long command with a progress panel and has the view repaint; errors become a
    // Failed result.
    CommandResult RunLong(const std::function<CommandResult(ProgressReporter&)>& work);
    // Tells the user how a long command ended.
    void Report(const CommandResult& result);
    // "Left out ...: phase.txt, ..." for the program's own files among a load's files.
    static QString LeftOutNote(const QStringList& names);

    CKorvaneDoc& doc_;
    QWidget& view_;
    UserPrompts& prompts_;
    CommandRouter& router_;
    DocumentCommands& documents_;
};

} // namespace korvane
