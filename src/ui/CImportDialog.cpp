#include "ui/CImportDialog.h"

#include "dsp/KorvaneError.h"
#include "sounding/TipDepthRules.h"
#include "ui/CConfigDialog.h"
#include "ui/ProfileSettings.h"
#include "ui/UserPrompts.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

namespace {

constexpr int kFileRole = Qt::UserRole;
constexpr int kRecordRole = Qt::UserRole + 1;

const char* SourceName(DepthSource source) {
    switch (source) {
    case DepthSource::Edited:
        return "typed";
    case DepthSource::DepthsFile:
        return "depths file";
    case DepthSource::RecordHeader:
        return "file header";
    case DepthSource::Keyword:
        return "keyword";
    case DepthSource::FileName:
        return "file name";
    case DepthSource::None:
        break;
    }
    return "none";
}

QString Number(double value) {
    return QString::asprintf("%g", value);
}

// A note of the import without the path it starts with (the row names the file), and in the
// words of this dialog rather than the command line's.
QString NoteText(const std::string& note, const std::string& path) {
    QString text = QString::fromStdString(note);
    const QString prefix = QString::fromStdString(path + ": ");
    if (text.startsWith(prefix))
        text.remove(0, prefix.size());
    text.replace("give --time-unit s or ms to resample it",
                 "choose the time unit below to resample it");
    return text;
}

} // namespace

CImportDialog::CImportDialog(ImportPreview preview, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), preview_(std::move(preview)), prompts_(prompts) {
    setWindowTitle("Import Recordings");

    auto* intro = new QLabel("Not all of these are plain wave files at 25 µs. Check what the "
                             "load takes from each file before it starts.",
                             this);
    table_ = new QTableWidget(0, Columns, this);
    table_->setObjectName("files");
    table_->setHorizontalHeaderLabels({"File", "Format", "Traces", "Samples", "Interval (ms)",
                                       "Tip depth (m)", "Depth from", "Notes"});
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    const int traces = preview_.MostTraces();
    channel_ = new QSpinBox(this);
    channel_->setObjectName("channel");
    channel_->setRange(1, traces);
    opposite_ = new QComboBox(this);
    opposite_->setObjectName("oppositeChannel");
    opposite_->addItem("none");
    for (int t = 1; t <= traces; ++t)
        opposite_->addItem(QString::number(t));
    opposite_->setToolTip("A second trace of every file recorded with the opposite strike: each "
                          "file then gives two records of its depth, checked as strike pairs.");
    timeUnit_ = new QComboBox(this);
    timeUnit_->setObjectName("timeUnit");
    timeUnit_->addItem("not given (25 µs apart)", int(TimeUnit::Unknown));
    timeUnit_->addItem("s", int(TimeUnit::Seconds));
    timeUnit_->addItem("ms", int(TimeUnit::Milliseconds));
    timeUnit_->addItem("µs", int(TimeUnit::Microseconds));
    timeUnit_->setToolTip("The unit of the time column of text files that do not step by 25 µs; "
                          "with it they are resampled.");
    timeUnit_->setEnabled(preview_.AnyUnitNeeded());
    keyword_ = new QLineEdit(this);
    keyword_->setObjectName("depthKeyword");
    keyword_->setToolTip("A header keyword whose value starts with the tip depth in metres.");
    auto* depthsButton = new QPushButton("Depths File...", this);
    depthsButton->setObjectName("depthsFile");
    depthsButton->setAutoDefault(false);
    depthsButton->setToolTip("A text file with one line NAME TIPDEPTH per file.");
    depthsName_ = new QLabel(this);
    problem_ = new QLabel(this);
    problem_->setObjectName("problem");
    problem_->setStyleSheet("color: #b00000");
    problem_->setWordWrap(true);
    okButton_ = new QPushButton("OK", this);
    okButton_->setObjectName("1");
    okButton_->setDefault(true);
    auto* cancelButton = new QPushButton("Cancel", this);
    cancelButton->setObjectName("2");
    cancelButton->setAutoDefault(false);

    auto* options = new QGridLayout;
    const auto add = [&](int row, int column, const char* text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        options->addWidget(label, row, column);
        options->addWidget(field, row, column + 1);
    };
    add(0, 0, "&Channel", channel_);
    add(0, 2, "&Opposite strike", opposite_);
    add(0, 4, "&Time unit", timeUnit_);
    add(1, 0, "Depth &keyword", keyword_);
    options->addWidget(depthsButton, 1, 2);
    options->addWidget(depthsName_, 1, 3, 1, 3);
    options->setColumnStretch(6, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(problem_, 1);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(table_, 1);
    layout->addLayout(options);
    layout->addLayout(buttons);

    const QString remembered = ProfileSettings::Open()->value(kTimeUnitKey).toString();
    const TimeUnit unit = ParseTimeUnit(remembered.toStdString()).value_or(TimeUnit::Unknown);
    timeUnit_->setCurrentIndex(timeUnit_->findData(int(unit)));
    preview_.SetTimeUnit(options_, unit);
    Refresh();

    connect(channel_, &QSpinBox::valueChanged, this, [this](int channel) {
        options_.channel = channel;
        Refresh();
    });
    connect(opposite_, &QComboBox::currentIndexChanged, this, [this](int index) {
        options_.oppositeChannel = index > 0 ? std::optional<int>(index) : std::nullopt;
        Refresh();
    });
    connect(timeUnit_, &QComboBox::currentIndexChanged, this,
            [this] { SetTimeUnit(static_cast<TimeUnit>(timeUnit_->currentData().toInt())); });
    connect(keyword_, &QLineEdit::textChanged, this, [this](const QString& text) {
        options_.depthKeyword = text.trimmed().toStdString();
        Refresh();
    });
    connect(depthsButton, &QPushButton::clicked, this, &CImportDialog::OnDepthsFile);
    connect(table_, &QTableWidget::itemChanged, this, &CImportDialog::OnItemChanged);
    connect(okButton_, &QPushButton::clicked, this, &CImportDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CImportDialog::reject);

    // Wide enough for every column, within the screen.
    setSizeGripEnabled(true);
    int width = 2 * table_->frameWidth() + 40;
    for (int c = 0; c < Columns; ++c)
        width += table_->columnWidth(c);
    QSize size(std::max(width, sizeHint().width()), sizeHint().height() + 20 * table_->rowCount());
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void CImportDialog::SetTimeUnit(TimeUnit unit) {
    preview_.SetTimeUnit(options_, unit);
    Refresh();
}

void CImportDialog::Refresh() {
    preview_.Inspect(options_);
    FillTable();
    const std::string problem = preview_.Problem(options_);
    problem_->setText(QString::fromStdString(problem));
    okButton_->setEnabled(problem.empty());
}

void CImportDialog::AddRow(const QStringList& cells, const QString& problem, int file, int record) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    for (int c = 0; c < Columns; ++c) {
        auto* item = new QTableWidgetItem(cells.value(c));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setToolTip(cells.value(c));
        table_->setItem(row, c, item);
    }
    QTableWidgetItem* depth = table_->item(row, TipDepth);
    if (record >= 0) {
        depth->setFlags(depth->flags() | Qt::ItemIsEditable);
        depth->setData(kFileRole, file);
        depth->setData(kRecordRole, record);
        depth->setToolTip("Type the tip depth in metres; clear it to take the file's again.");
    }
    if (!problem.isEmpty()) {
        QTableWidgetItem* notes = table_->item(row, Notes);
        notes->setText(notes->text().isEmpty() ? problem : problem + "; " + notes->text());
        notes->setToolTip(notes->text());
        notes->setForeground(QColor(0xb0, 0, 0));
        if (cells.value(DepthFrom) == SourceName(DepthSource::None))
            depth->setBackground(QColor(0xff, 0xe0, 0xe0));
    }
}

void CImportDialog::FillTable() {
    const QSignalBlocker blocker(table_);
    table_->setRowCount(0);
    const std::vector<ImportPreview::File>& files = preview_.Files();
    for (std::size_t f = 0; f < files.size(); ++f) {
        const ImportPreview::File& file = files[f];
        const QString name = QFile::decodeName(ImportPreview::NameOf(file.path).c_str());
        if (!file.inspection) {
            AddRow({name, "?"}, QString::fromStdString(file.error), int(f), -1);
            continue;
        }
        const FileInspection& inspection = *file.inspection;
        QStringList notes;
        for (const std::string& note : inspection.notes)
            notes.append(NoteText(note, file.path));
        if (inspection.records.empty())
            AddRow({name, FormatName(inspection.format), "", "", "", "", "", notes.join(" ")},
                   "no records", int(f), -1);
        const int channel = options_.ChannelsFor(file.path).front();
        for (std::size_t r = 0; r < inspection.records.size(); ++r) {
            const RecordSummary& record = inspection.records[r];
            QStringList cells{record.section.empty()
                                  ? name
                                  : name + ": " + QString::fromStdString(record.section),
                              FormatName(inspection.format), QString::number(record.traces.size())};
            if (!record.traces.empty()) {
                const std::size_t t =
                    std::min<std::size_t>(std::max(channel, 1) - 1, record.traces.size() - 1);
                cells << QString::number(record.traces[t].samples)
                      << Number(record.traces[t].interval * 1e3);
            } else {
                cells << ""
                      << "";
            }
            cells << (record.tipDepth ? Number(static_cast<double>(*record.tipDepth)) : QString())
                  << SourceName(record.depthSource) << (r == 0 ? notes.join(" ") : QString());
            const std::string problem = ImportPreview::RecordProblem(inspection, r, options_);
            AddRow(cells, QString::fromStdString(problem), int(f), int(r));
        }
    }
    table_->resizeColumnsToContents();
    // Long notes stay readable in their tooltips; the column takes what is left.
    table_->setColumnWidth(Notes, std::min(table_->columnWidth(Notes), 480));
}

void CImportDialog::OnItemChanged(QTableWidgetItem* item) {
    if (item->column() != TipDepth || !item->data(kRecordRole).isValid())
        return;
    const auto file = static_cast<std::size_t>(item->data(kFileRole).toInt());
    const auto record = static_cast<std::size_t>(item->data(kRecordRole).toInt());
    const std::string& path = preview_.Files().at(file).path;
    const QString text = item->text().trimmed();
    float depth = 0.0f;
    if (text.isEmpty()) {
        if (const auto found = options_.overrides.find(path); found != options_.overrides.end())
            found->second.tipDepths.erase(record);
    } else if (CConfigDialog::ParseDistance(text, depth)) {
        options_.overrides[path].tipDepths[record] = depth;
    } else {
        prompts_.ShowMessage("Please enter a number.");
    }
    // The item belongs to the table being edited: it is rebuilt once the edit has ended.
    QMetaObject::invokeMethod(this, &CImportDialog::Refresh, Qt::QueuedConnection);
}

void CImportDialog::OnDepthsFile() {
    const QString path = prompts_.AskOpenFileName("Text Files (*.txt);;All Files (*)");
    if (path.isEmpty())
        return;
    try {
        options_.depths = TipDepthRules::ReadDepthsFile(QFile::encodeName(path).toStdString());
    } catch (const KorvaneError& error) {
        prompts_.ShowMessage(QString::fromStdString(error.what()));
        return;
    }
    depthsName_->setText(QFileInfo(path).fileName());
    Refresh();
}

void CImportDialog::accept() {
    Refresh(); // a depth typed just before may not be inspected yet
    const std::string problem = preview_.Problem(options_);
    if (!problem.empty()) {
        prompts_.ShowMessage(QString::fromStdString(problem));
        return;
    }
    if (timeUnit_->isEnabled()) {
        static constexpr const char* kNames[] = {"", "s", "ms", "us"};
        ProfileSettings::Open()->setValue(kTimeUnitKey, kNames[timeUnit_->currentIndex()]);
    }
    QDialog::accept();
}

} // namespace korvane
