#pragma once

#include "sounding/SoundingMetadata.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QTableWidget;

namespace korvane {

class UserPrompts;

// "Sounding Properties": the sounding's details that the reports and the AGS file carry, and
// the unit weight profile behind Gmax as a table of layers (top in metres, unit weight in
// kN/m³). The caller puts the document's metadata into `metadata` before running it and takes
// it back only when it was accepted. OK refuses a cell that is no number ("Please enter a
// number.") and details that SoundingMetadata::Check refuses (its reason), keeping the dialog
// open with the focus on the control concerned; rows left blank are dropped. Controls carry
// the details' names as object names ("project_id", ..., "receiver", "unit_weights"), the
// buttons "add_layer", "remove_layer", "1" (OK) and "2" (Cancel).
class CSoundingPropertiesDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CSoundingPropertiesDialog(UserPrompts& prompts, QWidget* parent = nullptr);

    SoundingMetadata metadata;

    // Moves `metadata` into the controls, or (save) the controls into `metadata`. Returns
    // false, after telling the user, when they hold no valid details; `metadata` is then
    // unchanged.
    bool UpdateData(bool save);

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    static constexpr std::size_t kTexts = 7;

    void Show(const SoundingMetadata& shown);
    // Reads the layer table; false (after telling the user and selecting the cell) when a
    // cell of a row that is not blank holds no number.
    bool ReadLayers(std::vector<UnitWeightLayer>& layers);
    // Gives the focus to the control whose value alone makes Check fail.
    void FocusFault(const SoundingMetadata& candidate);

    UserPrompts& prompts_;
    std::array<QLineEdit*, kTexts> edits_{};
    QTableWidget* layers_ = nullptr;
    bool metadataShown_ = false;
};

} // namespace korvane
