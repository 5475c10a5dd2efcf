// The interval analysis through the real command line on simulated soundings whose true
// velocities are known: every lag and fit method, strike pairs, the quality flags.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

struct Row {
    double top, bottom, mid, lag, vs, se, r2;
    std::string flags;
    double gmax;
};

// Every row's Gmax must be that of its velocity in MPa for the unit weight gamma (kN/m3).
std::vector<Row> ParseCsv(const std::string& text, double gamma = 18.0) {
    std::vector<Row> rows;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "top_m,bottom_m,mid_m,lag_ms,vs_m_s,vs_se_m_s,r2,flags,gmax_mpa");
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            fields.push_back(cell);
        EXPECT_EQ(fields.size(), 9u) << line;
        if (fields.size() != 9)
            continue;
        Row row{};
        double* numbers[] = {&row.top, &row.bottom, &row.mid, &row.lag, &row.vs, &row.se, &row.r2};
        for (int i = 0; i < 7; ++i)
            *numbers[i] = std::stod(fields[static_cast<std::size_t>(i)]);
        row.flags = fields[7];
        row.gmax = std::stod(fields[8]);
        const double gmax = gamma / 9.80665 * row.vs * row.vs / 1000.0;
        if (row.vs > 0.0 && std::isfinite(row.vs))
            EXPECT_NEAR(row.gmax, gmax, 1e-6 + 1e-9 * gmax) << line; // vs has 6 decimals
        else
            EXPECT_TRUE(std::isnan(row.gmax)) << line;
        rows.push_back(row);
    }
    return rows;
}

// "interval <mid-depth> <velocity>" and the layer tops of a simulate model.txt.
struct Model {
    std::vector<double> velocities;
    std::vector<double> tops;
};

Model ReadModel(const fs::path& path) {
    Model model;
    std::istringstream in(CliRunner::ReadFile(path));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind;
        double a = 0.0, b = 0.0;
        if (!(words >> kind >> a >> b))
            continue;
        if (kind == "interval")
            model.velocities.push_back(b);
        else if (kind == "layer")
            model.tops.push_back(a);
    }
    return model;
}

// Relative errors of the intervals whose mid-depth lies more than margin metres from every
// layer boundary (a fit over several depths smooths across a boundary).
std::vector<double> Errors(const std::vector<Row>& rows, const Model& model, double margin) {
    std::vector<double> errors;
    EXPECT_EQ(rows.size(), model.velocities.size());
    for (std::size_t i = 0; i < rows.size() && i < model.velocities.size(); ++i) {
        const bool near = std::any_of(model.tops.begin() + 1, model.tops.end(), [&](double top) {
            return std::fabs(rows[i].mid - top) <= margin;
        });
        if (!near)
            errors.push_back(std::fabs(rows[i].vs / model.velocities[i] - 1.0));
    }
    return errors;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? NAN : values[values.size() / 2];
}

CliRunner::Result Process(const CliRunner& cli, const std::string& dir,
                          std::vector<std::string> options, const std::string& input = "waves") {
    std::vector<std::string> arguments = {"process", "--quiet",          "--diagnostics", dir,
                                          "--table", dir + "/table.txt", "--csv",         "-"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back(dir + "/" + input);
    return cli.Run(arguments);
}

// Proposed windows and every method on two simulated ground models: successive pairs within
// 2 % of the truth (the phase slope within 2 % of the refined correlation too), least-squares
// fits within 5 % where they do not reach across a layer boundary, with a standard error only
// for them.
TEST(IntervalAnalysis, EveryMethodRecoversTheTrueVelocitiesWithProposedWindows) {
    CliRunner cli;
    ASSERT_EQ(cli.Run({"simulate", "--out", "a"}).status, 0);
    ASSERT_EQ(cli.Run({"simulate", "--out", "b", "--depths", "20", "--seed", "3", "--layers",
                       "0:120:350,4:200:1500,11.5:310:1600"})
                  .status,
              0);
    for (const std::string dir : {"a", "b"}) {
        const Model model = ReadModel(cli.work() / dir / "model.txt");
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

// Two strikes of opposite polarity per depth, noise and trigger jitter, 0.5 m apart: their
// half difference and least squares over 5 depths give a smooth and true profile. A pair
// recorded with one polarity is flagged on the intervals touching its depth, and only there.
TEST(IntervalAnalysis, StrikePairsOfAFieldLikeSoundingAndAPairOfOnePolarity) {
    CliRunner cli;
    ASSERT_EQ(cli.Run({"simulate", "--out", "f", "--depths", "48", "--step", "0.5", "--strikes",
                       "2", "--noise", "0.02", "--jitter", "0.1", "--seed", "5"})
                  .status,
              0);
    const std::vector<std::string> options = {"--window", "auto", "--lag",         "subsample",
                                              "--fit",    "lsq5", "--strike-pairs"};
    CliRunner::Result r = Process(cli, "f", options);
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Row> rows = ParseCsv(r.out);
    ASSERT_EQ(rows.size(), 47u);
    std::vector<double> changes;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i)
        changes.push_back(std::fabs(rows[i + 1].vs / rows[i].vs - 1.0));
    EXPECT_LT(Median(changes), 0.05);
    for (double error : Errors(rows, ReadModel(cli.work() / "f" / "model.txt"), 1.5))
        EXPECT_LT(error, 0.05);
    for (const Row& row : rows)
        EXPECT_EQ(row.flags.find("POLARITY"), std::string::npos) << row.mid;

    // The model lists the shots in depth order, the left strike first: the right strike of the
    // tenth depth becomes a copy of its left one.
    std::vector<std::string> files;
    std::istringstream model(CliRunner::ReadFile(cli.work() / "f" / "model.txt"));
    for (std::string line; std::getline(model, line);)
        if (line.starts_with("record "))
            files.push_back(line.substr(line.rfind(' ') + 1));
    ASSERT_EQ(files.size(), 96u);
    fs::copy_file(cli.work() / "f" / "waves" / files[18], cli.work() / "f" / "waves" / files[19],
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
    ASSERT_EQ(cli.Run({"simulate", "--out", "g", "--depths", "24", "--step", "0.5", "--strikes",
                       "2", "--noise", "0.02", "--seed", "5", "--sample-interval", "0.0002"})
                  .status,
              0);
    // The model lists the shots in depth order, the left strike first: "record TIP ... FILE".
    std::vector<std::pair<std::string, std::string>> shots;
    std::istringstream model(CliRunner::ReadFile(cli.work() / "g" / "model.txt"));
    for (std::string line; std::getline(model, line);)
        if (line.starts_with("record "))
            shots.emplace_back(line.substr(7, line.find(' ', 7) - 7),
                               line.substr(line.rfind(' ') + 1));
    ASSERT_EQ(shots.size(), 48u);
    std::string text = "[TEST]\n<GORILLA! header>\njob number=1\n\n[DATA]\n";
    for (std::size_t s = 0; s < shots.size(); s += 2) {
        text += "[SEISMIC TEST=" + std::to_string(s / 2 + 1) + "  DEPTH=" + shots[s].first + "]\n";
        std::istringstream left(CliRunner::ReadFile(cli.work() / "g" / "waves" / shots[s].second));
        std::istringstream right(
            CliRunner::ReadFile(cli.work() / "g" / "waves" / shots[s + 1].second));
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
    std::vector<double> changes;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i)
        changes.push_back(std::fabs(rows[i + 1].vs / rows[i].vs - 1.0));
    EXPECT_LT(Median(changes), 0.05);
    for (double error : Errors(rows, ReadModel(cli.work() / "g" / "model.txt"), 1.5))
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
        std::vector<std::string> simulate = {"simulate", "--out", "c"};
        simulate.insert(simulate.end(), c.simulate.begin(), c.simulate.end());
        ASSERT_EQ(cli.Run(simulate).status, 0);
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
    ASSERT_EQ(cli.Run({"simulate", "--out", "d", "--depths", "36"}).status, 0);
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
