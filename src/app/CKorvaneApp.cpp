#include "app/CKorvaneApp.h"

#include "analysis/StaleResults.h"
#include "app/AnalysisCommands.h"
#include "app/CAboutDialog.h"
#include "app/CMainFrame.h"
#include "app/ChangeWindow.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/DocumentCommands.h"
#include "app/DocumentHistory.h"
#include "app/DroppedFiles.h"
#include "app/ExportCommands.h"
#include "app/SoundingCommands.h"
#include "ui/ProfileSettings.h"
#include "ui/QtUserPrompts.h"
#include "view/CKorvaneView.h"
#include "view/DisplayData.h"

#include <QAction>
#include <QCoreApplication>
#include <QScreen>

#include <iterator>

namespace korvane {

CKorvaneApp::CKorvaneApp(std::unique_ptr<UserPrompts> prompts)
    : prompts_(std::move(prompts)), router_(registry_) {
    if (!prompts_)
        prompts_ = std::make_unique<QtUserPrompts>();
}

CKorvaneApp::~CKorvaneApp() {
    doc_.onChanged = nullptr;
    doc_.onReleased = nullptr;
    doc_.onModifiedFlagSet = nullptr;
    exports_.reset();
    analysis_.reset();
    history_.reset();
    router_.SetBusyListener(nullptr);
    frame_.reset();
}

bool CKorvaneApp::InitInstance(const QStringList& arguments) {
    QCoreApplication::setOrganizationName(ProfileSettings::kOrganisation);
    QCoreApplication::setApplicationName(ProfileSettings::kApplication);
    recent_ = std::make_unique<RecentFileList>();

    CommandTable::RegisterAll(registry_);
    view_ = new CKorvaneView(doc_);
    view_->SetPrompts(prompts_.get());
    frame_ = std::make_unique<CMainFrame>(registry_, view_);
    if (auto* qtPrompts = dynamic_cast<QtUserPrompts*>(prompts_.get()))
        qtPrompts->SetParentWidget(frame_.get());

    documents_ = std::make_unique<DocumentCommands>(doc_, *prompts_, *recent_);
    sounding_ = std::make_unique<SoundingCommands>(doc_, *view_, *prompts_, router_, *documents_);
    history_ = std::make_unique<DocumentHistory>(doc_);
    analysis_ = std::make_unique<AnalysisCommands>(doc_, *history_, *prompts_, *view_);
    exports_ = std::make_unique<ExportCommands>(doc_, *history_, *prompts_, *view_, router_);
    router_.AddTarget(view_);
    router_.AddTarget(sounding_.get());
    router_.AddTarget(documents_.get());
    router_.AddTarget(history_.get());
    router_.AddTarget(analysis_.get());
    router_.AddTarget(exports_.get());
    router_.AddTarget(this);
    router_.SetRuleCheck([this](const CommandSpec& spec) {
        switch (spec.rule) {
        case EnableRule::NeedsData:
            return view_->OnUpdateNeedsData();
        case EnableRule::NeedsResults:
            return view_->OnUpdateNeedsResults();
        case EnableRule::DisplayData:
            return DisplayHasData(doc_, spec.displayMode);
        case EnableRule::CanUndo:
            return history_->Stack().canUndo();
        case EnableRule::CanRedo:
            return history_->Stack().canRedo();
        case EnableRule::Always:
        default:
            return true;
        }
    });
    router_.SetBusyListener([this](bool busy) { view_->SetCommandsLocked(busy); });

    doc_.onChanged = [this] {
        history_->SyncWithDocument();
        router_.UpdateCommandUI();
        UpdateDocumentState();
        view_->update();
    };
    ConnectPlotView();
    documents_->onTitleChanged = [this] { UpdateCaption(); };
    documents_->onExit = [this] { frame_->close(); };
    frame_->canClose = [this] { return !router_.IsBusy() && documents_->SaveModified(); };
    frame_->onMenuAboutToShow = [this] {
        UpdateRecentFileItems();
        router_.UpdateCommandUI();
    };
    frame_->onFilesDropped = [this](const QStringList& files) { OnFilesDropped(files); };
    router_.UpdateCommandUI();
    UpdateRecentFileItems();
    UpdateCaption();

    if (!arguments.isEmpty() && !documents_->OpenDocumentFile(arguments.constFirst()))
        return false;

    if (frame_->RestoreWindowGeometry()) {
        frame_->show();
        return true;
    }
    // Without a window manager "maximised" means nothing, so the frame also gets the screen.
    if (const QScreen* screen = frame_->screen())
        frame_->setGeometry(screen->availableGeometry());
    frame_->showMaximized();
    return true;
}

void CKorvaneApp::UpdateCaption() {
    frame_->SetDocumentTitle(documents_->Title());
    view_->SetDocumentName(documents_->Title());
    UpdateDocumentState();
}

void CKorvaneApp::UpdateDocumentState() {
    frame_->setWindowModified(doc_.IsModified());
    frame_->SetResultsNote(StaleResults::OutOfDate(doc_) ? StaleResults::kNote : "");
}

void CKorvaneApp::UpdateRecentFileItems() {
    const QStringList& files = recent_->Files();
    const int ids[] = {cmd::FileMru1, cmd::FileMru2, cmd::FileMru3, cmd::FileMru4};
    for (int i = 0; i < static_cast<int>(std::size(ids)); ++i) {
        QAction* action = registry_.Action(ids[i]);
        if (!action)
            continue;
        const QString path = files.value(i);
        action->setVisible(!path.isEmpty());
        action->setText(QString("&%1 %2").arg(i + 1).arg(QString(path).replace("&", "&&")));
    }
}

void CKorvaneApp::OnFilesDropped(const QStringList& files) {
    if (router_.IsBusy())
        return;
    const DroppedFiles drop = DroppedFiles::Classify(files);
    switch (drop.kind) {
    case DroppedFiles::Kind::Document:
        documents_->OpenAfterSaveModified(drop.files.constFirst());
        break;
    case DroppedFiles::Kind::Recordings:
        sounding_->LoadDropped(drop.files);
        break;
    case DroppedFiles::Kind::Refused:
        prompts_->ShowMessage(drop.refusal);
        break;
    }
}

void CKorvaneApp::ConnectPlotView() {
    // Window edits go through the undo history, which follows the modified flag; a new
    // sounding starts with no history, at its full view.
    view_->onWindowEdit = [this](const WindowEdit& edit) {
        history_->Push(std::make_unique<ChangeWindow>(doc_, edit));
    };
    doc_.onReleased = [this] {
        history_->Clear();
        view_->ResetView();
    };
    doc_.onModifiedFlagSet = [this](bool modified) { history_->FollowFlag(modified); };
    history_->onStateChanged = [this] {
        const QUndoStack& stack = history_->Stack();
        const auto named = [](const char* verb, const QString& step) {
            return step.isEmpty() ? QString(verb) : QString("%1 %2").arg(verb, step);
        };
        registry_.Action(cmd::EditUndo)->setText(named("&Undo", stack.undoText()));
        registry_.Action(cmd::EditRedo)->setText(named("&Redo", stack.redoText()));
        router_.UpdateCommandUI();
    };
    view_->SetIntervalFlags([this](int mode, std::size_t interval) {
        return PlotReadout::AnalysisNote(doc_, mode, interval);
    });
    QAction* scaleEachRow = registry_.Action(cmd::ViewScaleEachRow);
    scaleEachRow->setChecked(view_->ScaleEachRow());
    QObject::connect(view_, &CKorvaneView::scaleEachRowChanged, scaleEachRow, &QAction::setChecked);
    QObject::connect(view_, &CKorvaneView::readoutChanged, frame_.get(), &CMainFrame::ShowReadout);
}

bool CKorvaneApp::OnCommand(int id) {
    if (id != cmd::AppAbout)
        return false;
    OnAppAbout();
    return true;
}

void CKorvaneApp::OnAppAbout() {
    CAboutDialog dialog(frame_.get());
    prompts_->RunDialog(dialog);
}

} // namespace korvane
