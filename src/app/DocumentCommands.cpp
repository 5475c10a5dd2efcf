#include "app/DocumentCommands.h"

#include "analysis/IntervalAnalysis.h"
#include "analysis/StaleResults.h"
#include "app/CommandIds.h"
#include "app/RecentFileList.h"
#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"
#include "sounding/DocumentFile.h"
#include "ui/UserPrompts.h"

#include <QFile>
#include <QFileInfo>

#include <new>

namespace korvane {

DocumentCommands::DocumentCommands(CKorvaneDoc& doc, UserPrompts& prompts, RecentFileList& recent)
    : doc_(doc), prompts_(prompts), recent_(recent) {}

bool DocumentCommands::OnCommand(int id) {
    switch (id) {
    case cmd::FileNew:
        OnFileNew();
        return true;
    case cmd::FileOpen:
        OnFileOpen();
        return true;
    case cmd::FileClose:
        OnFileClose();
        return true;
    case cmd::FileMru1:
    case cmd::FileMru2:
    case cmd::FileMru3:
    case cmd::FileMru4:
        OnOpenRecentFile(id - cmd::FileMru1);
        return true;
    case cmd::FileSave:
        OnFileSave();
        return true;
    case cmd::FileSaveAs:
        OnFileSaveAs();
        return true;
    case cmd::AppExit:
        if (onExit)
            onExit(); // the frame asks to save when it closes
        return true;
    default:
        return false;
    }
}

void DocumentCommands::SetPathName(const QString& path) {
    pathName_ = path;
    title_ = path.isEmpty() ? QString(kUntitled) : QFileInfo(path).fileName();
    if (onTitleChanged)
        onTitleChanged();
}

void DocumentCommands::OnFileNew() {
    if (!SaveModified())
        return;
    // The Sounding, its flags and the display mode stay: only the path is forgotten.
    doc_.SetModifiedFlag(false);
    SetPathName(QString());
    doc_.NotifyChanged();
}

void DocumentCommands::OnFileOpen() {
    if (!SaveModified())
        return;
    const QString path = prompts_.AskOpenFileName(kFilter);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

bool DocumentCommands::OpenDocumentFile(const QString& path) {
    // A refused file must not cost the user the document shown until now.
    CKorvaneDoc previous = doc_;
    DocumentFile::Warnings warnings;
    try {
        warnings = DocumentFile::Load(doc_, QFile::encodeName(path).toStdString());
    } catch (const KorvaneError& error) {
        doc_ = std::move(previous);
        doc_.NotifyChanged();
        prompts_.ShowMessage(QString::fromStdString(error.what()));
        return false;
    } catch (const std::bad_alloc&) {
        doc_ = std::move(previous);
        doc_.NotifyChanged();
        prompts_.ShowMessage("Memory allocation fails!");
        return false;
    }
    // The interval analysis is not stored: it comes back from the stored windows and settings,
    // so the profile and the table show what the document was saved with.
    if (doc_.dataLoaded != 0 && doc_.resultsValid != 0) {
        NullProgress quiet;
        IntervalAnalysis::Run(doc_, quiet);
    }
    doc_.SetModifiedFlag(false);
    recent_.Add(path);
    DocumentReplaced(QFileInfo(path).absoluteFilePath());
    for (const std::string& warning : warnings)
        prompts_.ShowMessage(QString::fromStdString(warning));
    return true;
}

bool DocumentCommands::OpenAfterSaveModified(const QString& path) {
    return SaveModified() && OpenDocumentFile(path);
}

void DocumentCommands::OnOpenRecentFile(int index) {
    const QString path = recent_.Files().value(index);
    if (path.isEmpty() || !SaveModified())
        return;
    if (!OpenDocumentFile(path))
        recent_.Remove(path);
}

void DocumentCommands::OnFileClose() {
    if (!SaveModified())
        return;
    const CKorvaneDoc fresh;
    doc_.ReleaseSounding();
    doc_.samplesPerRecord = fresh.samplesPerRecord;
    doc_.SetModifiedFlag(false);
    DocumentReplaced(QString());
}

void DocumentCommands::DocumentReplaced(const QString& path) {
    warnedBases_.clear();
    SetPathName(path);
    if (onDocumentReplaced)
        onDocumentReplaced();
    doc_.NotifyChanged();
}

bool DocumentCommands::OnFileSave() {
    if (pathName_.isEmpty())
        return OnFileSaveAs();
    return DoSave(pathName_);
}

bool DocumentCommands::OnFileSaveAs() {
    QString path = prompts_.AskSaveFileName(kFilter, QString(kExtension).mid(1));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += kExtension;
    if (QFileInfo::exists(path) &&
        !prompts_.Confirm(QString("%1 already exists.\nDo you want to replace it?")
                              .arg(QFileInfo(path).fileName())))
        return false;
    return DoSave(path);
}

void DocumentCommands::WarnIfStale() {
    if (!StaleResults::OutOfDate(doc_) || doc_.resultBases == warnedBases_)
        return;
    warnedBases_ = doc_.resultBases;
    prompts_.ShowMessage(kStaleSaveWarning);
}

bool DocumentCommands::DoSave(const QString& path) {
    WarnIfStale();
    try {
        DocumentFile::Save(doc_, QFile::encodeName(path).toStdString());
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
        return false;
    } catch (const std::bad_alloc&) {
        prompts_.ShowMessage("Memory allocation fails!");
        return false;
    }
    SetPathName(QFileInfo(path).absoluteFilePath());
    recent_.Add(pathName_);
    return true;
}

bool DocumentCommands::SaveModified() {
    if (!doc_.IsModified())
        return true;
    switch (prompts_.AskSaveChanges(title_)) {
    case SaveChangesAnswer::Yes:
        return OnFileSave();
    case SaveChangesAnswer::No:
        return true;
    case SaveChangesAnswer::Cancel:
    default:
        return false;
    }
}

} // namespace korvane
