// Publishing a product feed: every row of a CSV file a variant of one design (the model puts
// the row's values in), each published whole into a folder of its own below one folder, the
// rows spread over the machine's cores. One model serves every variant; the player is copied
// once, beside the variants, and their pages load it from there.
#pragma once

#include "core/AppSettings.h"
#include "platform/FileSystem.h"
#include "publish/Html5Creative.h"
#include "publish/Publisher.h"

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace pennoria {

// The rows one process publishes when the work is shared: those whose number modulo count is
// index (the first data row is row 1).
struct FeedShard {
    std::size_t index = 0;
    std::size_t count = 1;
    bool Takes(std::size_t row) const { return row % count == index; }
};

struct FeedPublishOptions {
    std::string projectPath; // pictures the design names relative to itself are found beside it
    std::string projectText;
    std::string feedPath;
    std::string folder; // every variant in folder/<name>/, the player in folder/ruffle/
    // As the editor's publish request gives them: out mode, embed mode, (the folder, unused),
    // the movie, page and project XML names, the player and the creative.
    std::vector<std::string> arguments;
    platform::ReplaceExisting replace =
        platform::ReplaceExisting::No; // a variant's folder that exists already
    JpegChoice jpeg = JpegChoice::Decline;
    FeedShard shard;
    unsigned workers = 0; // 0: one per core
    // Asked before each row is taken (on the workers' threads); true stops the run: no further
    // row is started, the rows being published are finished, and every variant in the folder is
    // then whole.
    std::function<bool()> cancelled;
    // Told after each row of this shard is done with (published or failed): how many are.
    std::function<void(std::size_t done)> progress;
};

struct FeedSummary {
    std::size_t rows = 0;      // the feed's data rows
    std::size_t chosen = 0;    // the rows of this shard
    std::size_t published = 0; // variants complete in their folders
    std::size_t failed = 0;    // chosen rows without a variant
    // Published variants with a creative over the ad rules (150 KB, 40 files).
    std::size_t overRules = 0;
    // Published variants with a text that does not fit its box at a size.
    std::size_t notFitting = 0;
    bool cancelled = false; // rows were left unpublished because the run was stopped
    std::string failure;    // why no row could be published at all; empty: the batch ran
};

// Lines for the user: a row that failed, a column that names nothing, a creative over the ad
// rules, a text that does not fit. Called from one thread at a time.
using FeedReportSink = std::function<void(const std::string& line)>;

// shell and window are never used by a variant's publish (nothing is opened); any will do.
FeedSummary PublishFeed(const FeedPublishOptions& options, CAppSettings& settings,
                        platform::IShell& shell, platform::IHostWindow& window,
                        const FeedReportSink& report);

// A feed's rows as the editor's feed panel shows them: the first maxRows (and no more than
// maxBytes of cells), every row counted. failure: why the file could not be read at all.
struct FeedRows {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows; // cells made fit for text (U+FFFD for bad bytes)
    std::size_t total = 0;
    std::map<std::size_t, std::string> refused; // why a row would fail, by its number
    std::string failure;
};
FeedRows ReadFeedRows(const std::string& feedPath, std::size_t maxRows, std::size_t maxBytes);

// Why a row's cells (column and value) cannot be published as they are; empty when they can.
std::string RefusedFeedCells(const std::vector<std::pair<std::string, std::string>>& cells);

// The folder name of a variant: the name's ASCII letters and digits, '_' and '-', each run of
// anything else one '-', at most 64 characters; the row number when nothing is left; "-2", "-3"
// and so on added to a name already used (compared without regard to case; used is updated).
// Never the player's folder.
std::string VariantFolderName(const std::string& name, std::size_t row,
                              std::set<std::string>& used);

} // namespace pennoria
