#pragma once

#include "app/CommandTarget.h"

#include <QUndoStack>

#include <functional>
#include <memory>

class QUndoCommand;

namespace korvane {

class CKorvaneDoc;

// The undo history of the document's edits: owns the undo stack and runs Edit > Undo and
// Redo. The document's modified flag follows the stack: it is clear exactly when the stack
// stands at its clean state, which a save (or an open) sets. A change made outside the
// history (a load, a run: anything that calls SetModifiedFlag(true)) puts the saved state out
// of reach, and releasing the records (a new load or open, an emptied document) forgets every
// step. A new kind of undoable change is a small ChangeValue subclass handed to Push. The
// owner passes on the document's notices: onReleased to Clear, onModifiedFlagSet to
// FollowFlag and onChanged to SyncWithDocument.
class DocumentHistory final : public CommandTarget {
public:
    explicit DocumentHistory(CKorvaneDoc& doc);
    ~DocumentHistory() override;
    DocumentHistory(const DocumentHistory&) = delete;
    DocumentHistory& operator=(const DocumentHistory&) = delete;

    bool OnCommand(int id) override; // Edit > Undo, Edit > Redo

    // Applies the change (its redo) and records it as the newest step.
    void Push(std::unique_ptr<QUndoCommand> command);
    void Undo();
    void Redo();
    // Forgets every step; the clean state is kept only when the document is unmodified.
    void Clear();
    // The document's modified flag was set: true by a change the history cannot undo, false
    // by a save or an open (this state becomes the clean one).
    void FollowFlag(bool modified);
    // Puts the flag and the stack back in step when the document's flag was changed without
    // telling (a document restored from a copy).
    void SyncWithDocument();

    QUndoStack& Stack() { return stack_; }

    // Told when the undo or redo state or their texts change (to update the Edit menu).
    std::function<void()> onStateChanged;

private:
    void FollowStack(bool clean);

    CKorvaneDoc& doc_;
    QUndoStack stack_;
    bool following_ = false; // the flag is being set from the stack, or the stack reset
};

} // namespace korvane
