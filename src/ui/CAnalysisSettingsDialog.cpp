#include "ui/CAnalysisSettingsDialog.h"

#include "dsp/KorvaneError.h"
#include "ui/NumberEntry.h"
#include "ui/UserPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

struct RealField {
    const char* name; // as the document's extension block spells it, without "analysis."
    const char* label;
    double AnalysisSettings::*member;
};

// In the order AnalysisSettings::Check judges them; the first three shape proposed windows.
const RealField kFields[] = {
    {"window_before_ms", "Window before the S-wave peak (ms)", &AnalysisSettings::windowBeforeMs},
    {"window_after_ms", "Window after the S-wave peak (ms)", &AnalysisSettings::windowAfterMs},
    {"arrival_tolerance_ms", "Arrival before the shallower record's by at most (ms)",
     &AnalysisSettings::arrivalToleranceMs},
    {"min_strike_correlation", "POLARITY: strike correlation below",
     &AnalysisSettings::minStrikeCorrelation},
    {"min_r2", "LOW_R2: r\u00b2 below", &AnalysisSettings::minR2},
    {"slow_m_s", "SLOW: velocity below (m/s)", &AnalysisSettings::slowVelocity},
    {"fast_m_s", "FAST: velocity above (m/s)", &AnalysisSettings::fastVelocity},
    {"edge_fraction", "WINDOW_EDGE: peak beyond this share of the shift range",
     &AnalysisSettings::edgeFraction},
    {"jump_fraction", "JUMP: change from both neighbours above (share)",
     &AnalysisSettings::jumpFraction},
};
constexpr int kWindowFields = 3;

void SelectData(QComboBox* box, const char* name) {
    box->setCurrentIndex(box->findData(QString::fromLatin1(name)));
}

} // namespace

CAnalysisSettingsDialog::CAnalysisSettingsDialog(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    static_assert(std::size(kFields) == kRealFields);
    setWindowTitle("Analysis Settings");

    auto* windows = new QGroupBox("Proposed windows", this);
    auto* windowForm = new QFormLayout(windows);
    auto* intervals = new QGroupBox("Delays and interval velocities", this);
    auto* intervalForm = new QFormLayout(intervals);
    auto* flags = new QGroupBox("Quality flags", this);
    auto* flagForm = new QFormLayout(flags);
    const auto addEdit = [this](QFormLayout* form, int i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(kFields[i].name);
        form->addRow(QString::fromUtf8(kFields[i].label), edit);
        edits_[static_cast<std::size_t>(i)] = edit;
    };
    for (int i = 0; i < kWindowFields; ++i)
        addEdit(windowForm, i);

    lag_ = new QComboBox(this);
    lag_->setObjectName("lag");
    lag_->addItem("Whole samples (integer)", "integer");
    lag_->addItem("Refined between samples (subsample)", "subsample");
    lag_->addItem("Cross-spectrum phase (phase)", "phase");
    intervalForm->addRow("Delay", lag_);
    fit_ = new QComboBox(this);
    fit_->setObjectName("fit");
    fit_->addItem("Successive pairs (pairs)", "pairs");
    for (const char* n : {"3", "5", "7"})
        fit_->addItem(QString("Least squares over %1 depths (lsq%1)").arg(n),
                      QString("lsq%1").arg(n));
    intervalForm->addRow("Velocity", fit_);
    strikePairs_ = new QCheckBox("Records of one depth are left and right strikes", this);
    strikePairs_->setObjectName("strike_pairs");
    intervalForm->addRow(strikePairs_);

    for (int i = kWindowFields; i < static_cast<int>(kRealFields); ++i)
        addEdit(flagForm, i);

    auto* defaultsButton = new QPushButton("Defaults", this);
    defaultsButton->setObjectName("defaults");
    defaultsButton->setAutoDefault(false);
    auto* okButton = new QPushButton("OK", this);
    okButton->setObjectName("1");
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton("Cancel", this);
    cancelButton->setObjectName("2");
    cancelButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaultsButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(windows);
    layout->addWidget(intervals);
    layout->addWidget(flags);
    layout->addLayout(buttons);

    connect(defaultsButton, &QPushButton::clicked, this, &CAnalysisSettingsDialog::OnDefaults);
    connect(okButton, &QPushButton::clicked, this, &CAnalysisSettingsDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CAnalysisSettingsDialog::reject);
}

void CAnalysisSettingsDialog::Show(const AnalysisSettings& shown) {
    for (std::size_t i = 0; i < kRealFields; ++i)
        edits_[i]->setText(NumberEntry::Format(shown.*kFields[i].member));
    SelectData(lag_, AnalysisSettings::Name(shown.lag));
    SelectData(fit_, AnalysisSettings::Name(shown.fit));
    strikePairs_->setChecked(shown.strikePairs);
}

void CAnalysisSettingsDialog::OnDefaults() {
    Show(AnalysisSettings{});
}

QLineEdit* CAnalysisSettingsDialog::EditOutOfRange(const AnalysisSettings& candidate) const {
    for (std::size_t i = 0; i < kRealFields; ++i) {
        AnalysisSettings alone;
        alone.*kFields[i].member = candidate.*kFields[i].member;
        try {
            alone.Check();
        } catch (const KorvaneError&) {
            return edits_[i];
        }
    }
    return nullptr;
}

bool CAnalysisSettingsDialog::UpdateData(bool save) {
    if (!save) {
        Show(settings);
        settingsShown_ = true;
        return true;
    }
    AnalysisSettings candidate = settings;
    for (std::size_t i = 0; i < kRealFields; ++i) {
        if (!NumberEntry::Parse(edits_[i]->text(), candidate.*kFields[i].member)) {
            prompts_.ShowMessage("Please enter a number.");
            edits_[i]->setFocus();
            edits_[i]->selectAll();
            return false;
        }
    }
    const std::string lag = lag_->currentData().toString().toStdString();
    const std::string fit = fit_->currentData().toString().toStdString();
    candidate.lag = AnalysisSettings::ParseLag(lag).value_or(LagMethod::Integer);
    candidate.fit = AnalysisSettings::ParseFit(fit).value_or(FitMethod::Pairs);
    candidate.strikePairs = strikePairs_->isChecked();
    try {
        candidate.Check();
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
        if (QLineEdit* edit = EditOutOfRange(candidate)) {
            edit->setFocus();
            edit->selectAll();
        }
        return false;
    }
    settings = candidate;
    return true;
}

void CAnalysisSettingsDialog::showEvent(QShowEvent* event) {
    if (!settingsShown_)
        UpdateData(false);
    QDialog::showEvent(event);
}

void CAnalysisSettingsDialog::accept() {
    if (UpdateData(true))
        QDialog::accept();
}

} // namespace korvane
