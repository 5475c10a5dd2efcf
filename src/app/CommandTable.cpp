#include "app/CommandTable.h"

#include "app/ActionRegistry.h"
#include "app/CommandIds.h"
#include "sounding/CKorvaneDoc.h"

namespace korvane {

namespace {

QList<QKeySequence> Keys(std::initializer_list<QKeySequence> keys) {
    return QList(keys);
}

} // namespace

void CommandTable::RegisterAll(ActionRegistry& r) {
    using R = EnableRule;
    // File menu and the document keys.
    r.Register({cmd::Configurations, "Configurations", {}, {}, R::Always, false});
    // Load replaces whatever sounding is open, after asking to save a modified one.
    r.Register({cmd::Load, "Load...", {}, {}, R::Always, false});
    r.Register({cmd::FileOpen, "&Open...", Keys({QKeySequence(Qt::CTRL | Qt::Key_O)}),
                "Open an existing document\nOpen", R::Always, false});
    r.Register(
        {cmd::FileClose, "&Close", {}, "Close the active document\nClose", R::Always, false});
    r.Register({cmd::FileSave, "&Save", Keys({QKeySequence(Qt::CTRL | Qt::Key_S)}),
                "Save the active document\nSave", R::Always, false});
    r.Register({cmd::FileSaveAs,
                "Save As...",
                {},
                "Save the active document with a new name\nSave As",
                R::Always,
                false});
    r.Register({cmd::FileExportPlot,
                "Export &Plot...",
                {},
                "Save the plot as a PNG image, an SVG drawing or a PDF page\nExport Plot",
                R::Always,
                false});
    // The sounding's details, and the files for the client made from its results.
    r.Register({cmd::FileSoundingProperties,
                "Sounding &Properties...",
                {},
                "Edit the project, location and test details and the unit weights for "
                "Gmax\nSounding Properties",
                R::NeedsData,
                false});
    r.Register({cmd::FileExportAgs,
                "Export &AGS...",
                {},
                "Save the interval results as an AGS 4.2 data file\nExport AGS",
                R::NeedsResults,
                false});
    r.Register({cmd::FileExportReport,
                "Export &Report...",
                {},
                "Save the sounding's report as a PDF file\nExport Report",
                R::NeedsResults,
                false});
    // The texts of the recent documents are set whenever the File menu opens.
    for (int id : {cmd::FileMru1, cmd::FileMru2, cmd::FileMru3, cmd::FileMru4})
        r.Register({id, "Recent Document", {}, "Open this document", R::Always, false});
    r.Register({cmd::AppExit,
                "E&xit",
                {},
                "Quit the application; prompts to save documents\nExit",
                R::Always,
                false});
    r.Register({cmd::FileNew,
                {},
                Keys({QKeySequence(Qt::CTRL | Qt::Key_N)}),
                "Create a new document\nNew",
                R::Always,
                false});
    r.Register({cmd::FilePrint,
                {},
                Keys({QKeySequence(Qt::CTRL | Qt::Key_P)}),
                "Print the active document\nPrint",
                R::Always,
                false});
    r.Register({cmd::FilePrintDirect, {}, {}, {}, R::Always, false});
    r.Register({cmd::FilePrintPreview, {}, {}, {}, R::Always, false});

    // View menu.
    r.Register({cmd::ViewOriginalWaves, "&Original Waves", {}, {}, R::NeedsData, false});
    r.Register({cmd::ViewFilteredWaves, "&Filtered Waves", {}, {}, R::NeedsData, false});
    r.Register({cmd::ViewCrossCorrelationVelocity,
                "&Wave Velocity from Cross-Correlation",
                {},
                {},
                R::NeedsResults,
                false});
    r.Register({cmd::ViewDetermination, "&Coef. of Determination", {}, {}, R::NeedsResults, false});
    r.Register({cmd::ViewVelocityData, "&Velocity Data", {}, {}, R::NeedsResults, false});
    r.Register({cmd::ViewZoomToFit, "&Zoom to Fit", Keys({QKeySequence(Qt::Key_Home)}),
                "Show the whole display again\nZoom to Fit", R::Always, true});
    r.Register({cmd::ViewScaleEachRow,
                "Scale &Each Row",
                {},
                "Scale each original wave to its own peak\nScale Each Row",
                R::Always,
                true,
                true});

    // View > More Displays: each is available once the data it draws exist.
    const auto display = [&r](int id, const char* text, const char* prompt, int mode) {
        r.Register({id, text, {}, prompt, R::DisplayData, false, mode});
    };
    display(cmd::ShowPhaseVelocity, "&Phase-Spectrum Velocity",
            "Show the velocity profile from the phase spectra of the loaded records",
            PhaseVelocity);
    display(cmd::ShowCorrelationFunctions, "&Correlation Functions",
            "Show the cross-correlation function of every interval", CorrelationFunctions);
    display(cmd::ShowAlignedWindows, "&Aligned Windows",
            "Show the windows of every interval aligned by the lag found", AlignedWindows);
    display(cmd::ShowRawAutocorrelations, "&Raw Autocorrelations",
            "Show the autocorrelations of the original waves", RawAutocorrelations);
    display(cmd::ShowFilteredAutocorrelations, "&Filtered Autocorrelations",
            "Show the autocorrelations of the windowed filtered waves", FilteredAutocorrelations);

    // Run menu. The autocorrelation runs read the waves, so they wait for records like the
    // cross-correlation.
    r.Register({cmd::RunCrossCorrelation, "&Cross-Correlation", {}, {}, R::NeedsData, false});
    // The interval analysis: both change the document as one undo step each.
    r.Register({cmd::RunProposeWindows,
                "&Propose Windows",
                {},
                "Set every record's window around its shear-wave arrival\nPropose Windows",
                R::NeedsData,
                false});
    r.Register({cmd::RunAnalysisSettings,
                "Analysis &Settings...",
                {},
                "Choose how delays and interval velocities are measured and flagged\nAnalysis "
                "Settings",
                R::NeedsData,
                false});
    r.Register({cmd::AutocorrelateRawWaves,
                "Autocorrelate &Original Waves",
                {},
                "Compute the autocorrelation of every original wave",
                R::NeedsData,
                false});
    r.Register({cmd::AutocorrelateFilteredWaves,
                "Autocorrelate &Filtered Waves",
                {},
                "Compute the autocorrelation of every windowed filtered wave",
                R::NeedsData,
                false});

    // Help menu and the toolbar button.
    r.Register({cmd::AppAbout,
                "&About Korvane...",
                {},
                "Display program information and version number\nAbout",
                R::Always,
                true});

    // Commands sent only by id.
    r.Register({cmd::Nothing32784, {}, {}, {}, R::Always, false});
    r.Register({cmd::ShowSpareWaves, {}, {}, {}, R::Always, false});
    r.Register({cmd::ShowSpareTable, {}, {}, {}, R::Always, false});

    // Edit menu; the history puts the step's name after Undo and Redo.
    r.Register(
        {cmd::EditUndo, "&Undo",
         Keys({QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}),
         "Undo the last action\nUndo", R::CanUndo, false});
    r.Register(
        {cmd::EditRedo, "&Redo",
         Keys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}),
         "Redo the previously undone action\nRedo", R::CanRedo, false});

    // The other edit and pane keys have no handler, so they do nothing.
    r.Register(
        {cmd::EditCut,
         {},
         Keys({QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}),
         {},
         R::Always,
         false});
    r.Register({cmd::EditCopy,
                {},
                Keys({QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}),
                {},
                R::Always,
                false});
    r.Register(
        {cmd::EditPaste,
         {},
         Keys({QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}),
         {},
         R::Always,
         false});
    r.Register({cmd::NextPane, {}, Keys({QKeySequence(Qt::Key_F6)}), {}, R::Always, false});
    r.Register(
        {cmd::PrevPane, {}, Keys({QKeySequence(Qt::SHIFT | Qt::Key_F6)}), {}, R::Always, false});
}

} // namespace korvane
