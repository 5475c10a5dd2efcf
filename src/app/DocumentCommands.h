#pragma once

#include "app/CommandTarget.h"

#include <QString>

#include <functional>

namespace korvane {

class CKorvaneDoc;
class RecentFileList;
class UserPrompts;

// The document's file commands: new (Ctrl+N), open, save, save as and exit, with the save
// prompt for a modified document. It keeps the document's path and title; the Sounding
// itself lives in the document. A new document keeps the Sounding and only forgets the path.
class DocumentCommands final : public CommandTarget {
public:
    static constexpr const char* kFilter = "Korvane Files(*.kvn)";
    static constexpr const char* kExtension = ".kvn";
    static constexpr const char* kUntitled = "Untitled";

    DocumentCommands(CKorvaneDoc& doc, UserPrompts& prompts, RecentFileList& recent);

    bool OnCommand(int id) override;

    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();

    // Reads a document file into the document. On failure the user is told why and the
    // document is as it was before; what the reader warns about is shown once it opened.
    bool OpenDocumentFile(const QString& path);
    // Writes the document to path; on failure the user is told and the old file is kept.
    bool DoSave(const QString& path);
    // Asks whether to save a modified document; false when the user cancelled (or the save
    // failed), so the caller must stop.
    bool SaveModified();

    QString Title() const { return title_; }
    QString PathName() const { return pathName_; }

    // Told when the title changes (to update the caption), and when Exit asks the frame to
    // close.
    std::function<void()> onTitleChanged;
    std::function<void()> onExit;

private:
    void SetPathName(const QString& path);

    CKorvaneDoc& doc_;
    UserPrompts& prompts_;
    RecentFileList& recent_;
    QString pathName_;
    QString title_ = kUntitled;
};

} // namespace korvane
