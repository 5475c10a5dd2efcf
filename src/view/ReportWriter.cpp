#include "view/ReportWriter.h"

#include "dsp/KorvaneError.h"
#include "sounding/AtomicFile.h"
#include "sounding/CKorvaneDoc.h"
#include "version/BuildVersion.h"
#include "view/PlotExporter.h"
#include "view/ReportContent.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <langinfo.h>
#include <locale.h>
#include <new>

namespace korvane {

namespace {

constexpr const char* kNotWritten = "The report could not be written: ";

// Page layout, millimetres: a wider left margin for binding, a header and a footer band.
constexpr double kLeft = 20.0;
constexpr double kRight = 15.0;
constexpr double kTop = 12.0;
constexpr double kBottom = 12.0;
constexpr double kHeader = 10.0;
constexpr double kFooter = 8.0;
constexpr double kGap = 4.0;
// The plots are drawn as a screen showing them at this share of their size: their labels
// come out at three quarters of the program's font size, as small as prints stay legible.
constexpr double kPlotScale = 0.75;
// Shares of the table's width per column: five depths and values, r², Gmax, the flags.
constexpr double kColumnShares[ReportContent::kColumns] = {9, 9, 9, 9, 9, 9, 7, 10, 29};

const QColor kGrey(0x55, 0x55, 0x55);
const QColor kRule(0x80, 0x80, 0x80);
const QColor kHeaderFill(0xe6, 0xe6, 0xe6);
const QColor kFlaggedFill(0xfd, 0xeb, 0xd3);

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Lays the report out from its content and, given a painter, paints it. One pass without a
// painter counts the pages; the painting pass makes the same decisions, so its pages say
// "page n of N" from the first. Owns nothing.
class Typesetter {
public:
    Typesetter(QPdfWriter& writer, const CKorvaneDoc& doc, const ReportContent& content,
               const ReportOptions& options)
        : writer_(writer), doc_(doc), content_(content), options_(options),
          family_(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()) {
        const QRectF page = writer.pageLayout().fullRectPixels(writer.resolution());
        left_ = Mm(kLeft);
        right_ = page.width() - Mm(kRight);
        pageBottom_ = page.height() - Mm(kBottom);
        bottom_ = pageBottom_ - Mm(kFooter);
        pageTop_ = Mm(kTop);
    }

    // Returns the page count.
    int Run(QPainter* painter, int pageCount) {
        painter_ = painter;
        pageCount_ = pageCount;
        page_ = 0;
        StartPage();
        TitleBlock();
        Plots();
        NewPage();
        Table();
        Site();
        Legend();
        return page_;
    }

private:
    double Mm(double mm) const { return mm * writer_.resolution() / 25.4; }
    double Width() const { return right_ - left_; }
    QFont Font(double points, bool bold = false) const {
        QFont font(family_);
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }
    double LineHeight(const QFont& font) const {
        return QFontMetricsF(font, &writer_).lineSpacing();
    }
    // Height of text wrapped into width, device units.
    double Wrapped(const QString& text, const QFont& font, double width) const {
        return QFontMetricsF(font, &writer_)
            .boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text)
            .height();
    }
    void Text(const QRectF& box, int flags, const QString& text, const QFont& font,
              const QColor& color = Qt::black) {
        if (!painter_)
            return;
        painter_->setFont(font);
        painter_->setPen(color);
        painter_->drawText(box, flags, text);
    }
    void Rule(double y, double from, double to, double points = 0.5) {
        if (!painter_)
            return;
        painter_->setPen(QPen(kRule, points * writer_.resolution() / 72.0));
        painter_->drawLine(QPointF(from, y), QPointF(to, y));
    }
    void Fill(const QRectF& box, const QColor& color) {
        if (painter_)
            painter_->fillRect(box, color);
    }

    void StartPage() {
        ++page_;
        const QFont small = Font(7.5);
        const SoundingMetadata& m = doc_.metadata;
        QString where;
        if (!m.projectId.empty())
            where = "Project " + Q(m.projectId);
        if (!m.locationId.empty())
            where += (where.isEmpty() ? "" : "  \u00b7  ") + QString("Location ") + Q(m.locationId);
        const QRectF header(left_, pageTop_, Width(), LineHeight(Font(9.5, true)));
        Text(header, Qt::AlignLeft | Qt::AlignBottom,
             "Seismic cone penetration test: shear-wave "
             "velocities",
             Font(9.5, true));
        Text(header, Qt::AlignRight | Qt::AlignBottom, where, small, kGrey);
        Rule(header.bottom() + Mm(1.5), left_, right_);
        y_ = pageTop_ + Mm(kHeader);

        const QRectF footer(left_, pageBottom_ - LineHeight(small), Width(), LineHeight(small));
        Rule(footer.top() - Mm(1.5), left_, right_, 0.3);
        Text(footer, Qt::AlignLeft | Qt::AlignVCenter,
             "Korvane " + Q(BuildVersion::Text()) + "  \u00b7  issued " + Q(options_.date), small,
             kGrey);
        Text(footer, Qt::AlignRight | Qt::AlignVCenter,
             QString("Page %1 of %2").arg(page_).arg(std::max(pageCount_, page_)), small, kGrey);
    }
    void NewPage() {
        if (painter_)
            writer_.newPage();
        StartPage();
    }
    // Starts a new page unless height fits below the current position.
    void Ensure(double height) {
        if (y_ + height > bottom_)
            NewPage();
    }
    double HeadingHeight() const { return LineHeight(Font(11, true)) + Mm(1.5); }
    // A section title; the section's first part, of height body, goes on the same page.
    void Heading(const QString& text, double body) {
        const QFont font = Font(11, true);
        Ensure(HeadingHeight() + body);
        Text(QRectF(left_, y_, Width(), LineHeight(font)), Qt::AlignLeft, text, font);
        y_ += LineHeight(font) + Mm(1.5);
    }
    // A text wrapped over the full width.
    void Paragraph(const QString& text, double points) {
        const QFont font = Font(points);
        const double height = Wrapped(text, font, Width());
        Ensure(height);
        Text(QRectF(left_, y_, Width(), height), Qt::TextWordWrap, text, font);
        y_ += height + Mm(1.5);
    }
    // Labelled values, two to a row unless a field is wide, in a ruled box.
    void TitleBlock() {
        const QFont label = Font(7.5);
        const QFont value = Font(9);
        const double pad = Mm(1.5);
        const double labelWidth = Mm(27);
        const double half = Width() / 2;
        const double rowHeight = LineHeight(value) + 2 * pad;
        const double top = y_;
        const auto cell = [&](const ReportContent::Field& field, double x, double width) {
            const double valueWidth = width - labelWidth - 2 * pad;
            const double height =
                std::max(rowHeight, Wrapped(Q(field.value), value, valueWidth) + 2 * pad);
            Text(QRectF(x + pad, y_ + pad, labelWidth, LineHeight(value)),
                 Qt::AlignLeft | Qt::AlignVCenter, Q(field.label), label, kGrey);
            Text(QRectF(x + pad + labelWidth, y_ + pad, valueWidth, height - 2 * pad),
                 Qt::TextWordWrap, Q(field.value), value);
            return height;
        };
        const std::vector<ReportContent::Field>& fields = content_.titleBlock;
        for (std::size_t i = 0; i < fields.size();) {
            double height = 0.0;
            if (fields[i].wide || i + 1 == fields.size() || fields[i + 1].wide) {
                height = cell(fields[i], left_, Width());
                ++i;
            } else {
                height =
                    std::max(cell(fields[i], left_, half), cell(fields[i + 1], left_ + half, half));
                if (painter_) {
                    painter_->setPen(QPen(kRule, writer_.resolution() / 144.0));
                    painter_->drawLine(QPointF(left_ + half, y_),
                                       QPointF(left_ + half, y_ + height));
                }
                i += 2;
            }
            y_ += height;
            if (i < fields.size())
                Rule(y_, left_, right_, 0.25);
        }
        if (painter_) {
            painter_->setPen(QPen(kRule, writer_.resolution() / 96.0));
            painter_->setBrush(Qt::NoBrush);
            painter_->drawRect(QRectF(left_, top, Width(), y_ - top));
        }
        y_ += Mm(kGap);
    }

    // One display of the document in area (device units), as a screen of that size scaled
    // by kPlotScale would show it, with a caption below it in place of its title line.
    // captionHeight: room for the caption below the plot, device units; 0 for one line.
    void Frame(int mode, const QRectF& area, const QString& caption, const PlotZoom& zoom = {},
               double captionHeight = 0.0) {
        const QFont font = Font(8);
        const double below = std::max(captionHeight, LineHeight(font));
        const QRectF plotArea = area.adjusted(0, 0, 0, -below - Mm(1));
        Text(QRectF(area.left(), plotArea.bottom() + Mm(1), area.width(), below),
             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption, font);
        if (!painter_)
            return;
        const double pixel = writer_.resolution() / 96.0; // device units per screen pixel
        const QSizeF logical = plotArea.size() / kPlotScale;
        const int width = static_cast<int>(std::lround(logical.width() / pixel));
        const int height = static_cast<int>(std::lround(logical.height() / pixel));
        PlotOptions plot;
        plot.mode = mode;
        plot.titleLine = false;
        plot.profileLegend = false; // the caption says what the colours are
        plot.zoom = zoom;
        painter_->save();
        painter_->translate(plotArea.topLeft());
        painter_->scale(kPlotScale, kPlotScale);
        PlotExporter::Paint(doc_, *painter_, QRectF(QPointF(0, 0), logical),
                            ViewGeometry::ForClient(width, height), plot);
        painter_->restore();
        painter_->setPen(QPen(kRule, writer_.resolution() / 96.0));
        painter_->setBrush(Qt::NoBrush);
        painter_->drawRect(plotArea);
    }
    // The part of the records' time that holds the windows, with room around them.
    PlotZoom WindowSpan() const {
        PlotZoom zoom;
        if (doc_.windows.empty())
            return zoom;
        double first = doc_.windows.front().first;
        double last = doc_.windows.front().last;
        for (const SampleWindow& w : doc_.windows) {
            first = std::min<double>(first, w.first);
            last = std::max<double>(last, w.last);
        }
        const double room = std::max(80.0, (last - first) * 0.15); // samples, 2 ms at least
        const DataRange span{std::max(0.0, first - room),
                             std::min<double>(doc_.samplesPerRecord, last + room)};
        if (span.Valid() && span.Span() < doc_.samplesPerRecord * 0.8)
            zoom.x = span;
        return zoom;
    }
    // The velocity plot's legend: the chosen method's series is drawn beside the run's where
    // it differs from it.
    QString VelocityCaption() const {
        const AnalysisResults& analysis = doc_.analysisResults;
        if (!analysis.DiffersFromTheRun())
            return "Figure 2. Interval shear-wave velocity";
        QString caption = "Figure 2. Interval shear-wave velocity. Blue: " + Q(content_.method);
        if (analysis.settings.fit != FitMethod::Pairs)
            caption += ", bars \u00b1 standard error";
        if (std::any_of(analysis.intervals.begin(), analysis.intervals.end(),
                        [](const IntervalEstimate& i) { return i.flags != 0; }))
            caption += "; orange diamonds: flagged intervals";
        return caption + ". Red: the cross-correlation run.";
    }
    void Plots() {
        const double gap = Mm(3);
        const double waves = (bottom_ - y_ - gap) * 0.52;
        Frame(FilteredWaves, QRectF(left_, y_, Width(), waves),
              "Figure 1. Filtered waves with their analysis windows (red: start, blue: end)",
              WindowSpan());
        y_ += waves + gap;
        const double half = (Width() - gap) / 2;
        const double profiles = bottom_ - y_;
        const QString velocity = VelocityCaption();
        const QString determination = "Figure 3. r\u00b2 of the cross-correlation";
        const double captions =
            std::max(Wrapped(velocity, Font(8), half), Wrapped(determination, Font(8), half));
        Frame(CrossCorrelationVelocity, QRectF(left_, y_, half, profiles), velocity, {}, captions);
        Frame(DeterminationProfile, QRectF(left_ + half + gap, y_, half, profiles), determination,
              {}, captions);
        y_ = bottom_;
    }

    // The table's columns from x, device units.
    std::vector<QRectF> Columns(double y, double height) const {
        double total = 0.0;
        for (double share : kColumnShares)
            total += share;
        std::vector<QRectF> columns;
        double x = left_;
        for (double share : kColumnShares) {
            const double width = Width() * share / total;
            columns.emplace_back(x, y, width, height);
            x += width;
        }
        return columns;
    }
    void Row(const std::vector<std::string>& cells, const QFont& font, double height,
             const QColor* fill) {
        if (fill)
            Fill(QRectF(left_, y_, Width(), height), *fill);
        const double pad = Mm(1.2);
        const std::vector<QRectF> columns = Columns(y_, height);
        for (int c = 0; c < ReportContent::kColumns; ++c) {
            const bool flags = c + 1 == ReportContent::kColumns;
            const QRectF box = columns[c].adjusted(pad, pad / 2, -pad, -pad / 2);
            Text(box, (flags ? Qt::AlignLeft | Qt::TextWordWrap : Qt::AlignRight) | Qt::AlignTop,
                 Q(cells[c]), font);
        }
        y_ += height;
    }
    void TableHeader() {
        const QFont font = Font(8, true);
        const double height = 2 * LineHeight(font) + Mm(1.6);
        Row(content_.tableHeader, font, height, &kHeaderFill);
        Rule(y_, left_, right_, 0.5);
    }
    void Table() {
        Heading("Interval results", 0.0);
        Paragraph("Velocities by " + Q(content_.method) +
                      ". Depths are geophone depths below the surface; the lag is the delay of "
                      "the deeper record; SE is the standard error of a least-squares fit.",
                  8.5);
        const QFont font = Font(8);
        const double flagsWidth = Columns(0, 0).back().width() - Mm(2.4);
        TableHeader();
        for (std::size_t i = 0; i < content_.tableRows.size(); ++i) {
            const std::vector<std::string>& cells = content_.tableRows[i];
            const double height =
                std::max(LineHeight(font), Wrapped(Q(cells.back()), font, flagsWidth)) + Mm(1.2);
            if (y_ + height > bottom_) {
                NewPage();
                Text(QRectF(left_, y_, Width(), LineHeight(Font(8.5))), Qt::AlignLeft,
                     "Interval results (continued)", Font(8.5), kGrey);
                y_ += LineHeight(Font(8.5)) + Mm(1);
                TableHeader();
            }
            Row(cells, font, height, content_.flaggedRows[i] ? &kFlaggedFill : nullptr);
            Rule(y_, left_, right_, 0.2);
        }
        y_ += Mm(kGap);
    }

    double PairHeight(const ReportContent::Field& field, double labelWidth, const QFont& labelFont,
                      const QFont& valueFont) const {
        const double line = std::max(LineHeight(labelFont), LineHeight(valueFont)) + Mm(0.8);
        return std::max(line, Wrapped(Q(field.value), valueFont, Width() - labelWidth));
    }
    double PairsHeight(const std::vector<ReportContent::Field>& fields, double labelWidth,
                       const QFont& labelFont, const QFont& valueFont) const {
        double height = Mm(1.5);
        for (const ReportContent::Field& field : fields)
            height += PairHeight(field, labelWidth, labelFont, valueFont);
        return height;
    }
    double ParagraphHeight(const QString& text, double points) const {
        return text.isEmpty() ? 0.0 : Wrapped(text, Font(points), Width()) + Mm(1.5);
    }
    // Labelled lines: the label in a column of labelWidth, the value after it.
    void Pairs(const std::vector<ReportContent::Field>& fields, double labelWidth,
               const QFont& labelFont, const QFont& valueFont) {
        for (const ReportContent::Field& field : fields) {
            const double height = PairHeight(field, labelWidth, labelFont, valueFont);
            Ensure(height);
            Text(QRectF(left_, y_, labelWidth, height), Qt::AlignLeft | Qt::AlignTop,
                 Q(field.label), labelFont);
            Text(QRectF(left_ + labelWidth, y_, Width() - labelWidth, height),
                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Q(field.value), valueFont);
            y_ += height;
        }
        y_ += Mm(1.5);
    }
    // The sections after the table stay whole on one page.
    void Site() {
        const double labelWidth = Mm(78);
        const QString explanation = Q(content_.siteExplanation);
        const QString gmax = Q(content_.gmaxNote);
        Heading("Time-averaged shear-wave velocity and site class",
                PairsHeight(content_.siteLines, labelWidth, Font(9), Font(9, true)) +
                    ParagraphHeight(explanation, 8.5) + ParagraphHeight(gmax, 8.5));
        Pairs(content_.siteLines, labelWidth, Font(9), Font(9, true));
        Paragraph(explanation, 8.5);
        Paragraph(gmax, 8.5);
        y_ += Mm(kGap);
    }
    void Legend() {
        const double labelWidth = Mm(30);
        const QString note = Q(content_.flagNote);
        Heading("Quality flags",
                ParagraphHeight(note, 8.5) +
                    PairsHeight(content_.flagLegend, labelWidth, Font(8.5, true), Font(8.5)));
        if (!note.isEmpty())
            Paragraph(note, 8.5);
        Pairs(content_.flagLegend, labelWidth, Font(8.5, true), Font(8.5));
    }

    QPdfWriter& writer_;
    const CKorvaneDoc& doc_;
    const ReportContent& content_;
    const ReportOptions& options_;
    QString family_;
    QPainter* painter_ = nullptr;
    int page_ = 0;
    int pageCount_ = 0;
    double left_ = 0, right_ = 0, pageTop_ = 0, pageBottom_ = 0, bottom_ = 0, y_ = 0;
};

} // namespace

QByteArray ReportWriter::Pdf(const CKorvaneDoc& doc, const ReportOptions& options, int* pages) {
    const ReportContent content = ReportContent::Of(doc);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(options.paper));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    const std::string& location = doc.metadata.locationId;
    writer.setTitle("SCPT shear-wave velocities" +
                    (location.empty() ? QString() : " \u2013 " + Q(location)));
    writer.setCreator("Korvane " + Q(BuildVersion::Text()));

    Typesetter typesetter(writer, doc, content, options);
    const int count = typesetter.Run(nullptr, 0);
    QPainter painter;
    if (!painter.begin(&writer))
        throw KorvaneError(std::string(kNotWritten) + "the PDF could not be started.");
    painter.setRenderHint(QPainter::Antialiasing);
    typesetter.Run(&painter, count);
    if (!painter.end())
        throw KorvaneError(std::string(kNotWritten) + "the PDF could not be finished.");
    if (pages)
        *pages = count;
    return bytes;
}

int ReportWriter::Save(const CKorvaneDoc& doc, const ReportOptions& options,
                       const std::filesystem::path& path) {
    int pages = 0;
    const QByteArray bytes = Pdf(doc, options, &pages);
    AtomicFile::Write(path,
                      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      kNotWritten);
    return pages;
}

QPageSize::PageSizeId ReportWriter::LocalePaper() {
#ifdef _NL_PAPER_HEIGHT
    if (locale_t paper = newlocale(LC_PAPER_MASK, "", locale_t{})) {
        // glibc keeps this item's number in the pointer itself.
        const auto height = reinterpret_cast<intptr_t>(nl_langinfo_l(_NL_PAPER_HEIGHT, paper));
        freelocale(paper);
        return height == 279 ? QPageSize::Letter : QPageSize::A4;
    }
#endif
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                              : QPageSize::A4;
}

} // namespace korvane
