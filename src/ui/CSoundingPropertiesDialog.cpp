#include "ui/CSoundingPropertiesDialog.h"

#include "dsp/KorvaneError.h"
#include "ui/NumberEntry.h"
#include "ui/UserPrompts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvane {

namespace {

struct TextField {
    const char* name; // as the document's extension block spells it, without "sounding."
    const char* label;
    const char* hint;
    std::string SoundingMetadata::*member;
};

const TextField kFields[] = {
    {"project_id", "Project id", "", &SoundingMetadata::projectId},
    {"project_name", "Project name", "", &SoundingMetadata::projectName},
    {"location_id", "Location id", "the sounding's name", &SoundingMetadata::locationId},
    {"client", "Client", "", &SoundingMetadata::client},
    {"test_date", "Test date", "YYYY-MM-DD", &SoundingMetadata::testDate},
    {"source", "Source", "for example 7 kg sledgehammer", &SoundingMetadata::source},
    {"receiver", "Receiver", "for example the geophone's model", &SoundingMetadata::receiver},
};

QString Cell(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text().trimmed() : QString();
}

} // namespace

CSoundingPropertiesDialog::CSoundingPropertiesDialog(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    static_assert(std::size(kFields) == kTexts);
    setWindowTitle("Sounding Properties");

    auto* details = new QGroupBox("Project and test", this);
    auto* form = new QFormLayout(details);
    for (std::size_t i = 0; i < kTexts; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(kFields[i].name);
        edit->setPlaceholderText(kFields[i].hint);
        form->addRow(kFields[i].label, edit);
        edits_[i] = edit;
    }

    auto* weights =
        new QGroupBox("Unit weights for Gmax (each layer down to the next one's top)", this);
    layers_ = new QTableWidget(0, 2, this);
    layers_->setObjectName("unit_weights");
    layers_->setHorizontalHeaderLabels(
        {"Top (m)", QString::fromUtf8("Unit weight \u03b3 (kN/m\u00b3)")});
    layers_->horizontalHeader()->setStretchLastSection(true);
    layers_->verticalHeader()->setVisible(false);
    auto* addButton = new QPushButton("Add Layer", this);
    addButton->setObjectName("add_layer");
    addButton->setAutoDefault(false);
    auto* removeButton = new QPushButton("Remove Layer", this);
    removeButton->setObjectName("remove_layer");
    removeButton->setAutoDefault(false);
    auto* layerButtons = new QHBoxLayout;
    layerButtons->addWidget(addButton);
    layerButtons->addWidget(removeButton);
    layerButtons->addStretch();
    auto* weightLayout = new QVBoxLayout(weights);
    weightLayout->addWidget(layers_);
    weightLayout->addLayout(layerButtons);

    auto* okButton = new QPushButton("OK", this);
    okButton->setObjectName("1");
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton("Cancel", this);
    cancelButton->setObjectName("2");
    cancelButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(details);
    layout->addWidget(weights);
    layout->addLayout(buttons);

    connect(addButton, &QPushButton::clicked, this, [this] {
        const int row = layers_->rowCount();
        layers_->insertRow(row);
        layers_->setItem(row, 0, new QTableWidgetItem);
        layers_->setItem(row, 1, new QTableWidgetItem);
        layers_->setCurrentCell(row, 0);
        layers_->editItem(layers_->item(row, 0));
    });
    connect(removeButton, &QPushButton::clicked, this, [this] {
        const int row = layers_->currentRow();
        layers_->removeRow(row >= 0 ? row : layers_->rowCount() - 1);
    });
    connect(okButton, &QPushButton::clicked, this, &CSoundingPropertiesDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CSoundingPropertiesDialog::reject);
}

void CSoundingPropertiesDialog::Show(const SoundingMetadata& shown) {
    for (std::size_t i = 0; i < kTexts; ++i)
        edits_[i]->setText(QString::fromStdString(shown.*kFields[i].member));
    layers_->setRowCount(0);
    for (const UnitWeightLayer& layer : shown.unitWeights) {
        const int row = layers_->rowCount();
        layers_->insertRow(row);
        layers_->setItem(row, 0, new QTableWidgetItem(NumberEntry::Format(layer.top)));
        layers_->setItem(row, 1, new QTableWidgetItem(NumberEntry::Format(layer.gamma)));
    }
}

bool CSoundingPropertiesDialog::ReadLayers(std::vector<UnitWeightLayer>& layers) {
    layers.clear();
    for (int row = 0; row < layers_->rowCount(); ++row) {
        if (Cell(layers_, row, 0).isEmpty() && Cell(layers_, row, 1).isEmpty())
            continue;
        UnitWeightLayer layer;
        for (int column = 0; column < 2; ++column) {
            double& value = column == 0 ? layer.top : layer.gamma;
            if (!NumberEntry::Parse(Cell(layers_, row, column), value)) {
                prompts_.ShowMessage("Please enter a number.");
                layers_->setFocus();
                layers_->setCurrentCell(row, column);
                return false;
            }
        }
        layers.push_back(layer);
    }
    return true;
}

void CSoundingPropertiesDialog::FocusFault(const SoundingMetadata& candidate) {
    for (std::size_t i = 0; i < kTexts; ++i) {
        SoundingMetadata alone;
        alone.*kFields[i].member = candidate.*kFields[i].member;
        try {
            alone.Check();
        } catch (const KorvaneError&) {
            edits_[i]->setFocus();
            edits_[i]->selectAll();
            return;
        }
    }
    layers_->setFocus();
}

bool CSoundingPropertiesDialog::UpdateData(bool save) {
    if (!save) {
        Show(metadata);
        metadataShown_ = true;
        return true;
    }
    SoundingMetadata candidate;
    for (std::size_t i = 0; i < kTexts; ++i)
        candidate.*kFields[i].member = edits_[i]->text().trimmed().toStdString();
    if (!ReadLayers(candidate.unitWeights))
        return false;
    try {
        candidate.Check();
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
        FocusFault(candidate);
        return false;
    }
    metadata = candidate;
    return true;
}

void CSoundingPropertiesDialog::showEvent(QShowEvent* event) {
    if (!metadataShown_)
        UpdateData(false);
    QDialog::showEvent(event);
}

void CSoundingPropertiesDialog::accept() {
    if (UpdateData(true))
        QDialog::accept();
}

} // namespace korvane
