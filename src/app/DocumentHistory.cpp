#include "app/DocumentHistory.h"

#include "app/CommandIds.h"
#include "sounding/CKorvaneDoc.h"

namespace korvane {

DocumentHistory::DocumentHistory(CKorvaneDoc& doc) : doc_(doc) {
    QObject::connect(&stack_, &QUndoStack::cleanChanged,
                     [this](bool clean) { FollowStack(clean); });
    const auto changed = [this] {
        if (onStateChanged)
            onStateChanged();
    };
    QObject::connect(&stack_, &QUndoStack::indexChanged, changed);
    QObject::connect(&stack_, &QUndoStack::canUndoChanged, changed);
    QObject::connect(&stack_, &QUndoStack::canRedoChanged, changed);
}

DocumentHistory::~DocumentHistory() {
    QObject::disconnect(&stack_, nullptr, nullptr, nullptr);
}

bool DocumentHistory::OnCommand(int id) {
    switch (id) {
    case cmd::EditUndo:
        Undo();
        return true;
    case cmd::EditRedo:
        Redo();
        return true;
    default:
        return false;
    }
}

void DocumentHistory::Push(std::unique_ptr<QUndoCommand> command) {
    stack_.push(command.release());
}

void DocumentHistory::Undo() {
    stack_.undo();
}

void DocumentHistory::Redo() {
    stack_.redo();
}

void DocumentHistory::Clear() {
    const bool modified = doc_.IsModified();
    following_ = true;
    stack_.clear();
    if (modified)
        stack_.resetClean();
    following_ = false;
    if (onStateChanged)
        onStateChanged();
}

void DocumentHistory::SyncWithDocument() {
    if (doc_.IsModified() == stack_.isClean())
        FollowFlag(doc_.IsModified());
}

void DocumentHistory::FollowFlag(bool modified) {
    if (following_)
        return;
    following_ = true;
    if (modified)
        stack_.resetClean(); // a change the history cannot take back
    else
        stack_.setClean(); // saved, opened, or declared unmodified
    following_ = false;
}

void DocumentHistory::FollowStack(bool clean) {
    if (following_)
        return;
    following_ = true;
    doc_.SetModifiedFlag(!clean);
    following_ = false;
    doc_.NotifyChanged();
}

} // namespace korvane
