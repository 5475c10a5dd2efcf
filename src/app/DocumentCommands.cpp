#include "app/DocumentCommands.h"

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
    doc_.SetModifiedFlag(false);
    SetPathName(QFileInfo(path).absoluteFilePath());
    recent_.Add(pathName_);
    doc_.NotifyChanged();
    for (const std::string& warning : warnings)
        prompts_.ShowMessage(QString::fromStdString(warning));
    return true;
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

bool DocumentCommands::DoSave(const QString& path) {
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
