#pragma once

#include "sounding/CKorvaneDoc.h"

#include <QUndoCommand>

#include <utility>

namespace korvane {

// One undoable change of one value of the document. It keeps the value that is not in the
// document and swaps it in on undo and on redo, then tells the document's observers. A kind
// of change is a small subclass that says where its value lives (Place) and, when repeated
// changes of the same thing should make one step, gives an id and a SameTarget test: a merge
// keeps the first change's old value, and a merge that lands back on it makes the step
// obsolete, so it disappears from the history. The first redo (on push) applies the change.
// Commands never set the modified flag: it follows the history's clean state.
template <typename Value> class ChangeValue : public QUndoCommand {
public:
    ChangeValue(CKorvaneDoc& doc, const QString& text, Value value)
        : QUndoCommand(text), doc_(doc), other_(std::move(value)) {}

    void undo() override { Swap(); }
    void redo() override { Swap(); }

    bool mergeWith(const QUndoCommand* command) override {
        if (id() < 0 || command->id() != id())
            return false;
        const auto* next = static_cast<const ChangeValue*>(command);
        if (!SameTarget(*next))
            return false;
        // The document holds the newer value already; this step keeps the oldest one.
        const Value* place = Place(doc_);
        setObsolete(place && *place == other_);
        return true;
    }

protected:
    // The value's place in the document, or null when it no longer exists.
    virtual Value* Place(CKorvaneDoc& doc) const = 0;
    // For mergeable kinds (id() >= 0): whether another change of the same id changes the same
    // thing.
    virtual bool SameTarget(const ChangeValue&) const { return false; }

    CKorvaneDoc& doc_;

private:
    void Swap() {
        if (Value* place = Place(doc_)) {
            other_ = std::exchange(*place, std::move(other_));
            doc_.NotifyChanged();
        }
    }

    Value other_;
};

} // namespace korvane
