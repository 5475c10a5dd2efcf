#include "app/AnalysisCommands.h"

#include "analysis/WindowProposer.h"
#include "app/ChangeAllWindows.h"
#include "app/ChangeAnalysisSettings.h"
#include "app/CommandIds.h"
#include "app/DocumentHistory.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "ui/CAnalysisSettingsDialog.h"
#include "ui/UserPrompts.h"

#include <QWidget>

#include <new>

namespace korvane {

AnalysisCommands::AnalysisCommands(CKorvaneDoc& doc, DocumentHistory& history, UserPrompts& prompts,
                                   QWidget& view)
    : doc_(doc), history_(history), prompts_(prompts), view_(view) {}

bool AnalysisCommands::OnCommand(int id) {
    switch (id) {
    case cmd::RunProposeWindows:
        OnProposeWindows();
        return true;
    case cmd::RunAnalysisSettings:
        OnAnalysisSettings();
        return true;
    default:
        return false;
    }
}

void AnalysisCommands::OnProposeWindows() {
    std::vector<SampleWindow> windows;
    try {
        windows = WindowProposer::Propose(doc_, doc_.analysisSettings);
        if (windows.size() != doc_.windows.size())
            throw KorvaneError("The sounding is incomplete.");
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
        return;
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
        return;
    }
    doc_.displayMode = FilteredWaves;
    if (windows == doc_.windows) {
        doc_.NotifyChanged(); // nothing to take back
        return;
    }
    history_.Push(std::make_unique<ChangeAllWindows>(doc_, "Propose Windows", std::move(windows)));
}

void AnalysisCommands::OnAnalysisSettings() {
    CAnalysisSettingsDialog dialog(prompts_, view_.window());
    dialog.settings = doc_.analysisSettings;
    if (prompts_.RunDialog(dialog) != QDialog::Accepted || dialog.settings == doc_.analysisSettings)
        return;
    history_.Push(std::make_unique<ChangeAnalysisSettings>(doc_, dialog.settings));
}

} // namespace korvane
