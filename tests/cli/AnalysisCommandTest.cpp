// Velocities through the real command line on simulated soundings whose true velocities are
// known: the generator against the bundled examples, the cross-correlation run, every lag and
// fit method of the interval analysis, strike pairs, the quality flags, the site classes.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(KORVANE_SOURCE_DIR) / "examples" / "sounding";
const fs::path kField = fs::path(KORVANE_SOURCE_DIR) / "examples" / "field";

// A simulate model.txt: layer tops, true interval velocities by mid-depth as the tables write
// it, and the shots in depth order, the left strike first ("record TIP ... FILE").
struct Model {
    std::vector<double> tops;
    std::map<std::string, double> velocities;
    std::vector<std::pair<std::string, std::string>> records; // tip depth, file

    explicit Model(const fs::path& path) {
        std::istringstream in(CliRunner::ReadFile(path));
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string kind, first, second;
            words >> kind >> first >> second;
            if (kind == "layer")
                tops.push_back(std::stod(first));
            else if (kind == "interval")
                velocities[first] = std::stod(second);
            else if (kind == "record")
                records.emplace_back(first, line.substr(line.rfind(' ') + 1));
        }
    }
};

struct Row {
    std::string mid;
    double lag, vs, se, r2;
    std::string flags;
};

// Rows of the interval analysis CSV. Every row's Gmax must be that of its velocity in MPa for
// the unit weight 18 kN/m3.
std::vector<Row> ParseCsv(const std::string& text) {
    std::vector<Row> rows;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags,gmax_mpa");
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            f.push_back(cell);
        EXPECT_EQ(f.size(), 9u) << line;
        if (f.size() != 9)
            continue;
        const Row row{f[2], std::stod(f[3]), std::stod(f[4]), std::stod(f[5]), std::stod(f[6]),
                      f[7]};
        const double gmax = 18.0 / 9.80665 * row.vs * row.vs / 1000.0;
        if (row.vs > 0.0 && std::isfinite(row.vs))
            EXPECT_NEAR(std::stod(f[8]), gmax, 1e-6 + 1e-9 * gmax) << line; // vs has 6 decimals
        else
            EXPECT_TRUE(std::isnan(std::stod(f[8]))) << line;
        rows.push_back(row);
    }
    return rows;
}

// Rows of a velocity table: mid-depth text -> velocity.
std::map<std::string, double> TableVelocities(const std::string& table) {
    std::map<std::string, double> velocities;
    std::istringstream in(table);
    std::string line, depth;
    std::getline(in, line); // header
    for (double velocity = 0.0; in >> depth >> velocity; std::getline(in, line))
        velocities[depth] = velocity;
    return velocities;
}

std::map<std::string, double> Velocities(const std::vector<Row>& rows) {
    std::map<std::string, double> velocities;
    for (const Row& row : rows)
        velocities[row.mid] = row.vs;
    return velocities;
}

void ExpectWithinTwoPercent(const std::map<std::string, double>& measured, const Model& model) {
    ASSERT_EQ(measured.size(), model.velocities.size());
    for (const auto& [depth, velocity] : model.velocities) {
        ASSERT_TRUE(measured.count(depth)) << "no row for mid-depth " << depth;
        EXPECT_NEAR(measured.at(depth), velocity, 0.02 * velocity) << "mid-depth " << depth;
    }
}

// Relative errors of the intervals whose mid-depth lies more than margin metres from every
// layer boundary (a fit over several depths smooths across a boundary).
std::vector<double> Errors(const std::vector<Row>& rows, const Model& model, double margin) {
    std::vector<double> errors;
    EXPECT_EQ(rows.size(), model.velocities.size());
    for (const Row& row : rows) {
        const bool near = std::any_of(model.tops.begin() + 1, model.tops.end(), [&](double top) {
            return std::fabs(std::stod(row.mid) - top) <= margin;
        });
        EXPECT_TRUE(model.velocities.count(row.mid)) << row.mid;
        if (!near && model.velocities.count(row.mid))
            errors.push_back(std::fabs(row.vs / model.velocities.at(row.mid) - 1.0));
    }
    return errors;
}

// The median relative change of velocity from one interval to the next.
double MedianChange(const std::vector<Row>& rows) {
    std::vector<double> changes;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i)
        changes.push_back(std::fabs(rows[i + 1].vs / rows[i].vs - 1.0));
    std::sort(changes.begin(), changes.end());
    return changes.empty() ? NAN : changes[changes.size() / 2];
}

CliRunner::Result Process(const CliRunner& cli, const std::string& dir,
                          std::vector<std::string> options, const std::string& input = "waves") {
    std::vector<std::string> arguments = {"process", "--quiet",          "--diagnostics", dir,
                                          "--table", dir + "/table.txt", "--csv",         "-"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(dir + "/" + input);
    return cli.Run(arguments);
}

// Runs simulate into work/dir and reads back its model.
Model Simulate(const CliRunner& cli, const std::string& dir, std::vector<std::string> options) {
    options.insert(options.begin(), {"simulate", "--out", dir});
    const CliRunner::Result made = cli.Run(options);
    EXPECT_EQ(made.status, 0) << made.err;
    return Model(cli.work() / dir / "model.txt");
}

// Two simulated ground models (the first is the bundled example): the cross-correlation run
// with the model's windows within 2 % of the truth. With proposed windows every method:
// successive pairs within 2 % (the phase slope within 2 % of the refined correlation too),
// least-squares fits within 5 % where they do not reach across a layer boundary, with a
// standard error only for them.
TEST(IntervalAnalysis, EveryMethodRecoversTheTrueVelocities) {
    CliRunner cli;
    const Model models[] = {Simulate(cli, "a", {}),
                            Simulate(cli, "b",
                                     {"--depths", "20", "--seed", "3", "--layers",
                                      "0:120:350,4:200:1500,11.5:310:1600"})};
    EXPECT_EQ(models[0].velocities.size(), 23u);
    for (const std::string dir : {"a", "b"}) {
        const Model& model = models[dir == "b"];
        const CliRunner::Result table = Process(cli, dir, {"--windows", dir + "/windows.txt"});
        ASSERT_EQ(table.status, 0) << table.err;
        EXPECT_EQ(table.err, "");
        ExpectWithinTwoPercent(TableVelocities(CliRunner::ReadFile(cli.work() / dir / "table.txt")),
                               model);
        std::vector<Row> subsample;
        for (const std::string lag : {"integer", "subsample", "phase"}) {
            for (const std::string fit : {"pairs", "lsq3", "lsq5", "lsq7"}) {
                SCOPED_TRACE(dir + " " + lag + " " + fit);
                const CliRunner::Result r =
                    Process(cli, dir, {"--window", "auto", "--lag", lag, "--fit", fit});
                ASSERT_EQ(r.status, 0) << r.err;
                const std::vector<Row> rows = ParseCsv(r.out);
                const bool pairs = fit == "pairs";
                // A fit spans points - 1 depths of 1 m, shifted inward at the ends.
                const double margin = pairs ? -1.0 : fit[3] - '0' - 1.0;
                for (double error : Errors(rows, model, margin))
                    EXPECT_LT(error, pairs ? 0.02 : 0.05);
                for (const Row& row : rows)
                    EXPECT_EQ(std::isnan(row.se), pairs) << row.mid;
                if (lag == "subsample" && pairs)
                    subsample = rows;
                if (lag == "phase" && pairs) {
                    for (std::size_t i = 0; i < rows.size() && i < subsample.size(); ++i)
                        EXPECT_NEAR(rows[i].vs, subsample[i].vs, 0.02 * subsample[i].vs);
                }
            }
        }
    }
}

TEST(Simulate, ReproducesTheBundledExamplesByteForByte) {
    CliRunner cli;
    const struct {
        fs::path example;
        std::vector<std::string> arguments;
    } examples[] = {
        {kExample, {"simulate", "--out", "example"}},
        {kField,
         {"simulate", "--out", "example", "--format", "seg2", "--sample-interval", "0.000125"}},
    };
    for (const auto& [example, arguments] : examples) {
        fs::remove_all(cli.work() / "example");
        ASSERT_EQ(cli.Run(arguments).status, 0);
        const std::vector<std::string> files = CliRunner::ListFiles(cli.work() / "example");
        EXPECT_EQ(files, CliRunner::ListFiles(example));
        EXPECT_EQ(files.size(), 26u); // 24 records, windows, model
        for (const std::string& file : files)
            EXPECT_TRUE(CliRunner::ReadFile(cli.work() / "example" / file) ==
                        CliRunner::ReadFile(example / file))
                << file << " differs from " << example;
    }
}

// The bundled field example: either trace of its SEG-2 files, both as strike pairs, and its
// conversion to wave files give the true velocities.
TEST(FieldExample, EitherStrikeAndItsConversionToWaveFilesGiveTheTrueVelocities) {
    CliRunner cli;
    const std::string windows = (kField / "windows.txt").string();
    const std::string records = (kField / "records").string();
    const Model model(kField / "model.txt");
    std::string left;
    for (const char* channel : {"1", "2"}) {
        const CliRunner::Result result =
            cli.Run({"process", "-q", "--channel", channel, "--windows", windows, "--diagnostics",
                     ".", "--save", "field.kvn", records});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        ExpectWithinTwoPercent(TableVelocities(result.out), model);
        if (left.empty())
            left = result.out;
    }
    // The document keeps the recordings' own interval for the AGS file, which names the one
    // they were resampled to.
    ASSERT_EQ(cli.Run({"ags", "-q", "--project-id", "P", "--location-id", "L", "--out", "f.ags",
                       "field.kvn"})
                  .status,
              0);
    const std::string ags = CliRunner::ReadFile(cli.work() / "f.ags");
    EXPECT_NE(ags.find("\"DATA\",\"L\",\"1\",\"24\",\"0.125\"\r\n"), std::string::npos) << ags;
    EXPECT_NE(ags.find(",\"0.025\",\"BANDPASS\","), std::string::npos) << "ISTA_UPSR";

    // Both traces of every file as a strike pair: one analysed depth per file, half their
    // difference, and the velocity table keeps a row per record pair.
    const CliRunner::Result pairs = cli.Run(
        {"process", "-q", "--channel", "1", "--opposite-channel", "2", "--window", "auto", "--lag",
         "subsample", "--table", "table.txt", "--csv", "-", "--diagnostics", ".", records});
    ASSERT_EQ(pairs.status, 0) << pairs.err;
    ExpectWithinTwoPercent(Velocities(ParseCsv(pairs.out)), model);
    EXPECT_EQ(TableVelocities(CliRunner::ReadFile(cli.work() / "table.txt")).size(), 47u);

    // Converted to wave files the records are the same, and so is the table.
    ASSERT_EQ(cli.Run({"convert", "--out", "converted", records}).status, 0);
    const CliRunner::Result converted =
        cli.Run({"process", "-q", "--windows", windows, "--diagnostics", ".", "converted"});
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(converted.out, left);

    const std::string path = (kField / "records" / "shot_01_9.00m.sg2").string();
    const CliRunner::Result inspect = cli.Run({"inspect", path, "converted/shot_01_9.00m.txt"});
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_EQ(inspect.out, "path\tformat\ttrace\tsamples\tinterval_s\tdelay_s\ttip_depth_m\n" +
                               path + "\tseg2\t1\t1703\t0.000125\t-0.008\t9\n" + path +
                               "\tseg2\t2\t1703\t0.000125\t-0.008\t9\n"
                               "converted/shot_01_9.00m.txt\twave\t1\t8192\t0.000025\t0\t9\n");
}

// Two strikes of opposite polarity per depth, noise and trigger jitter, 0.5 m apart: their
// half difference and least squares over 5 depths give a smooth and true profile. A pair
// recorded with one polarity is flagged on the intervals touching its depth, and only there.
TEST(IntervalAnalysis, StrikePairsOfAFieldLikeSoundingAndAPairOfOnePolarity) {
    CliRunner cli;
    const Model model = Simulate(cli, "f",
                                 {"--depths", "48", "--step", "0.5", "--strikes", "2", "--noise",
                                  "0.02", "--jitter", "0.1", "--seed", "5"});
    const std::vector<std::string> options = {"--window", "auto", "--lag",         "subsample",
                                              "--fit",    "lsq5", "--strike-pairs"};
    CliRunner::Result r = Process(cli, "f", options);
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Row> rows = ParseCsv(r.out);
    ASSERT_EQ(rows.size(), 47u);
    EXPECT_LT(MedianChange(rows), 0.05);
    for (double error : Errors(rows, model, 1.5))
        EXPECT_LT(error, 0.05);
    for (const Row& row : rows)
        EXPECT_EQ(row.flags.find("POLARITY"), std::string::npos) << row.mid;

    // The right strike of the tenth depth becomes a copy of its left one.
    ASSERT_EQ(model.records.size(), 96u);
    const fs::path waves = cli.work() / "f" / "waves";
    fs::copy_file(waves / model.records[18].second, waves / model.records[19].second,
                  fs::copy_options::overwrite_existing);
    r = Process(cli, "f", options);
    ASSERT_EQ(r.status, 0) << r.err;
    rows = ParseCsv(r.out);
    ASSERT_EQ(rows.size(), 47u);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].flags.find("POLARITY") != std::string::npos, i == 8 || i == 9) << i;
}

// The same kind of sounding as a cone logger's container holds it: the two strikes of every
// depth are channels 17 and 18 of one seismic test, sampled every 0.2 ms, with an empty test and
// a dissipation test among them. Inspect lists a record per test, convert writes a file per
// test, and the strike pairs with least squares give the smooth, true profile.
TEST(IntervalAnalysis, StrikePairsFromALoggerContainer) {
    CliRunner cli;
    const Model model = Simulate(cli, "g",
                                 {"--depths", "24", "--step", "0.5", "--strikes", "2", "--noise",
                                  "0.02", "--seed", "5", "--sample-interval", "0.0002"});
    const auto& shots = model.records;
    ASSERT_EQ(shots.size(), 48u);
    std::string text = "[TEST]\n<GORILLA! header>\njob number=1\n\n[DATA]\n";
    for (std::size_t s = 0; s < shots.size(); s += 2) {
        text += "[SEISMIC TEST=" + std::to_string(s / 2 + 1) + "  DEPTH=" + shots[s].first + "]\n";
        std::istringstream left(CliRunner::ReadFile(cli.work() / "g/waves" / shots[s].second));
        std::istringstream right(CliRunner::ReadFile(cli.work() / "g/waves" / shots[s + 1].second));
        std::string l, r;
        for (int j = -6; std::getline(left, l) && std::getline(right, r); ++j) {
            if (j < 1)
                continue; // the seven header lines of a wave file
            text += "*E:" + std::to_string(j / 5) + "." + std::to_string(j % 5 * 2) +
                    "#17:" + l.substr(l.find('\t') + 1) + "#18:" + r.substr(r.find('\t') + 1) +
                    "!\n";
        }
        text += "[SEISMIC TEST END]\n";
        if (s == 4)
            text += "[SEISMIC TEST=99  DEPTH=2]\n[SEISMIC TEST END]\n[DISSIPATION TEST=100  "
                    "DEPTH=2]\n*A:1.00#1:2.5!\n[DISSIPATION TEST END]\n";
    }
    std::ofstream(cli.work() / "g" / "s.GRU", std::ios::binary) << text << "[END]\n";

    CliRunner::Result r = cli.Run({"inspect", "g/s.GRU"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.find("\ng/s.GRU:test 1\tgru\t2\t1024\t0.0002\t0.0002\t1\n") !=
                std::string::npos)
        << r.out;
    EXPECT_EQ(r.err, "warning: g/s.GRU: seismic test 99 holds no samples; left out\n");
    ASSERT_EQ(cli.Run({"convert", "--out", "c", "g/s.GRU"}).status, 0);
    EXPECT_EQ(CliRunner::ListFiles(cli.work() / "c").size(), 24u);
    EXPECT_TRUE(fs::exists(cli.work() / "c" / "s_test_24.txt"));

    r = Process(cli, "g",
                {"--channel", "1", "--opposite-channel", "2", "--window", "auto", "--lag",
                 "subsample", "--fit", "lsq5"},
                "s.GRU");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Row> rows = ParseCsv(r.out);
    ASSERT_EQ(rows.size(), 23u);
    EXPECT_LT(MedianChange(rows), 0.05);
    for (double error : Errors(rows, model, 1.5))
        EXPECT_LT(error, 0.05);
}

// Soundings made to go wrong in different ways (noise, very slow and very fast ground, trigger
// jitter larger than the delays, short fixed windows): each flag appears where its condition
// holds and nowhere else.
TEST(IntervalAnalysis, QualityFlagsFollowTheirThresholds) {
    CliRunner cli;
    const struct {
        std::vector<std::string> simulate;
        std::vector<std::string> process;
    } cases[] = {
        {{"--depths", "6", "--noise", "3"}, {"--window", "auto"}},
        {{"--depths", "6", "--layers", "0:40:300"}, {"--window", "auto"}},
        {{"--depths", "6", "--layers", "0:2000:4000"}, {"--windows", "c/windows.txt"}},
        {{"--depths", "10", "--step", "0.2", "--jitter", "1"}, {"--window", "auto"}},
        {{"--depths", "6"}, {"--window", "1000:1300"}},
    };
    std::set<std::string> seen;
    for (const auto& c : cases) {
        Simulate(cli, "c", c.simulate);
        const CliRunner::Result r = Process(cli, "c", c.process);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<Row> rows = ParseCsv(r.out);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            const auto has = [&](const char* flag) {
                return ("|" + row.flags + "|").find(std::string("|") + flag + "|") !=
                       std::string::npos;
            };
            SCOPED_TRACE(c.simulate.back() + " " + std::to_string(i) + " " + row.flags);
            EXPECT_EQ(has("LOW_R2"), row.r2 < 0.8);
            EXPECT_EQ(has("SLOW"), row.vs < 50.0);
            EXPECT_EQ(has("FAST"), row.vs > 1500.0);
            EXPECT_EQ(has("NEGATIVE_LAG"), row.lag < 0.0);
            bool jump = true;
            for (std::size_t j : {i - 1, i + 1})
                if (j < rows.size())
                    jump = jump && std::fabs(row.vs - rows[j].vs) > 0.4 * std::fabs(rows[j].vs);
            EXPECT_EQ(has("JUMP"), jump);
            std::istringstream flags(row.flags);
            for (std::string flag; std::getline(flags, flag, '|');)
                seen.insert(flag);
        }
        fs::remove_all(cli.work() / "c");
    }
    EXPECT_EQ(seen, (std::set<std::string>{"FAST", "JUMP", "LOW_R2", "NEGATIVE_LAG", "SLOW",
                                           "WINDOW_EDGE"}));
}

// A sounding deeper than 30 m through the default ground model: Vs30 by hand from the layers,
// 30 / (2.6/140 + 4.7/180 + 5.5/235 + 5.6/290 + 11.6/360) = 250.8 m/s, EC8 C, ASCE 7-22 D.
TEST(SiteResults, Vs30AndSiteClassesOfADeepSounding) {
    CliRunner cli;
    Simulate(cli, "d", {"--depths", "36"});
    ASSERT_EQ(cli.Run({"process", "--quiet", "--diagnostics", "d", "--windows", "d/windows.txt",
                       "--save", "d.kvn", "d/waves"})
                  .status,
              0);
    const CliRunner::Result r = cli.Run({"open", "d.kvn"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(r.out.substr(r.out.find("\nZ_m ") + 1));
    std::string name, z, vsZ, vs30, ec8, asce;
    in >> name >> z >> name >> vsZ >> name >> vs30 >> name >> ec8 >> name >> asce;
    EXPECT_EQ(z, "35.82");
    EXPECT_NEAR(std::stod(vs30), 250.8, 0.02 * 250.8);
    EXPECT_GT(std::stod(vsZ), std::stod(vs30)); // the stiffest layer continues below 30 m
    EXPECT_EQ(ec8, "C");
    EXPECT_EQ(asce, "D");
    EXPECT_FALSE(in >> name) << "the five lines end the summary";
}

} // namespace
} // namespace korvane::test
