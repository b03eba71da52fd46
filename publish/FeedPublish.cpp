// The feed batch: rows read in turn by the workers, each variant published into a staging
// folder and moved into place whole.
#include "publish/FeedPublish.h"

#include "core/ProgramPaths.h"
#include "core/Strings.h"
#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/FeedReader.h"
#include "publish/PlayerBundle.h"
#include "publish/PublishImage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <utility>

namespace pennoria {

namespace {

// The column that names the variant; the model never sees it.
const char* const kNameColumn = "name";
// Longest variant folder name.
constexpr std::size_t kMaxVariantName = 64;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A variant's publish in a batch: its messages become the row's failure, and the question
// about an existing folder is answered yes (each variant is staged in a folder of its own).
class RowDialogs : public platform::MessagesOnlyDialogs {
public:
    platform::MessageAnswer ShowMessage(const std::string& text, platform::MessageButtons buttons,
                                        platform::MessageIcon) override {
        if (buttons == platform::MessageButtons::YesNo)
            return platform::MessageAnswer::Yes;
        m_last = JoinLines(text);
        return platform::MessageAnswer::Ok;
    }
    // The last message shown, taken.
    std::string Take() { return std::exchange(m_last, std::string()); }

private:
    std::string m_last;
};

struct FeedRow {
    std::size_t number = 0;
    std::string name; // its folder's name
    std::vector<std::pair<std::string, std::string>> cells;
};

class FeedBatch {
public:
    FeedBatch(const FeedPublishOptions& options, CAppSettings& settings, platform::IShell& shell,
              platform::IHostWindow& window, const FeedReportSink& report)
        : m_options(options), m_settings(settings), m_shell(shell), m_window(window),
          m_report(report), m_input(options.feedPath, std::ios::binary), m_reader(m_input) {}

    FeedSummary Run();

private:
    bool Prepare();
    bool ReadHeader();
    // The next row of this shard, every row before it named; false at the feed's end.
    bool NextRow(FeedRow& row);
    void Work();
    // Publishes one row; empty, or why it has no variant.
    std::string PublishRow(const FeedRow& row, CPublisher& publisher, RowDialogs& dialogs,
                           std::string& variantText);
    void Report(const std::string& line);
    bool Cancelled() const { return m_options.cancelled && m_options.cancelled(); }

    const FeedPublishOptions& m_options;
    CAppSettings& m_settings;
    platform::IShell& m_shell; // a publish of a variant opens nothing and shows no cursor
    platform::IHostWindow& m_window;
    const FeedReportSink& m_report;
    std::ifstream m_input;
    FeedReader m_reader;
    std::string m_feedFolder;
    std::string m_staging;
    std::string m_sharedPlayer;
    BannerModel* m_model = nullptr;

    std::mutex m_mutex; // guards everything below, the reader and the report
    std::vector<std::string> m_columns;
    std::size_t m_nameColumn = std::string::npos;
    std::set<std::string> m_usedNames;
    std::set<std::string> m_reportedColumns;
    bool m_feedEnded = false;
    std::size_t m_done = 0; // rows of this shard done with
    FeedSummary m_summary;
};

void FeedBatch::Report(const std::string& line) {
    platform::DebugOutput("feed: " + line);
    if (m_report)
        m_report(line);
}

bool FeedBatch::ReadHeader() {
    if (!m_input) {
        m_summary.failure =
            "cannot read the feed " + m_options.feedPath + ": " + platform::LastErrorText();
        return false;
    }
    std::vector<std::string> header;
    std::string error;
    const FeedReader::Status status = m_reader.Next(header, &error);
    if (status != FeedReader::Status::Record) {
        m_summary.failure = "the feed " + m_options.feedPath +
                            (status == FeedReader::Status::End ? " has no header row"
                                                               : " cannot be read: " + error);
        return false;
    }
    for (const std::string& column : header) {
        m_columns.push_back(Trimmed(column));
        if (m_columns.back() == kNameColumn && m_nameColumn == std::string::npos)
            m_nameColumn = m_columns.size() - 1;
    }
    return true;
}

bool FeedBatch::Prepare() {
    std::error_code failed;
    const std::filesystem::path feed = std::filesystem::absolute(m_options.feedPath, failed);
    m_feedFolder = feed.parent_path().string();
    if (!ReadHeader())
        return false;
    if (!EnsureDirectory(m_options.folder + "/")) {
        m_summary.failure =
            "cannot create the folder " + m_options.folder + ": " + platform::LastErrorText();
        return false;
    }
    auto staging =
        platform::CreateTemporaryFolder(m_options.folder, ".pennoria-feed-", &m_summary.failure);
    if (!staging)
        return false;
    m_staging = *staging;

    // The names and modes are checked once, by a trial request, rather than once per row.
    std::vector<std::string> arguments = m_options.arguments;
    arguments.resize(std::max<std::size_t>(arguments.size(), 9));
    arguments[2] = m_staging + "/check";
    CPublishRequest trial(arguments);
    RowDialogs dialogs;
    PublishOutcome outcome = PublishOutcome::Published;
    if (!trial.PrepareOutputFolder(outcome, dialogs)) {
        m_summary.failure = dialogs.Take();
        if (m_summary.failure.empty())
            m_summary.failure = "cannot create a folder in " + m_staging;
        return false;
    }
    std::filesystem::remove_all(m_staging + "/check", failed);

    m_model = BannerModel::Shared(&m_summary.failure);
    if (!m_model)
        return false;
    // One player for every variant's pages.
    if (trial.writePages && ChosenSwfOutputs(trial, m_settings) &&
        ChosenPlayerMode(trial, m_settings) == PlayerMode::Bundled) {
        const PublishSources sources = GetPublishSources(GetProgramFolder(), trial.embedPages);
        PlayerCopyResult copied =
            CopyPlayerFiles(sources.playerFolder, m_options.folder + "/" + kPlayerFolderName);
        if (!copied.result) {
            m_summary.failure = copied.result.error;
            return false;
        }
        m_sharedPlayer = std::string("../") + kPlayerFolderName + "/";
    }
    return true;
}

bool FeedBatch::NextRow(FeedRow& row) {
    std::vector<std::string> fields;
    while (!m_feedEnded) {
        if (Cancelled()) {
            m_summary.cancelled = true;
            return false;
        }
        std::string error;
        const FeedReader::Status status = m_reader.Next(fields, &error);
        if (status != FeedReader::Status::Record) {
            m_feedEnded = true;
            if (status == FeedReader::Status::Malformed)
                m_summary.failure = "the feed " + m_options.feedPath + " breaks off at " + error;
            break;
        }
        const std::size_t number = ++m_summary.rows;
        // Every row is named, so that every shard gives a row the same folder.
        const std::string name =
            VariantFolderName(m_nameColumn < fields.size() ? fields[m_nameColumn] : std::string(),
                              number, m_usedNames);
        if (!m_options.shard.Takes(number))
            continue;
        ++m_summary.chosen;
        row.number = number;
        row.name = name;
        row.cells.clear();
        for (std::size_t i = 0; i < m_columns.size(); ++i)
            if (i != m_nameColumn)
                row.cells.emplace_back(m_columns[i], i < fields.size() ? fields[i] : std::string());
        return true;
    }
    return false;
}

std::string FeedBatch::PublishRow(const FeedRow& row, CPublisher& publisher, RowDialogs& dialogs,
                                  std::string& variantText) {
    std::string error = RefusedFeedCells(row.cells);
    if (!error.empty())
        return error;
    auto variant = m_model->Variant(m_options.projectText, row.cells, m_feedFolder, &error);
    if (!variant)
        return error.empty() ? "the banner model refused the row" : error;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const std::string& column : variant->unknownColumns)
            if (m_reportedColumns.insert(column).second)
                Report("the column \"" + column + "\" names nothing in the design; it is ignored");
    }
    variantText = std::move(variant->projectText);

    // Staged in a folder of the row's own, then moved into place whole.
    const std::string stage = m_staging + "/" + std::to_string(row.number);
    std::vector<std::string> arguments = m_options.arguments;
    arguments.resize(std::max<std::size_t>(arguments.size(), 9));
    arguments[2] = stage;
    CPublishRequest request(arguments);
    request.sharedPlayer = m_sharedPlayer;
    PublishOutcome outcome = PublishOutcome::Published;
    std::error_code ignored;
    struct StageRemover {
        std::string path;
        ~StageRemover() {
            std::error_code failed;
            std::filesystem::remove_all(path, failed);
        }
    } remover{stage};
    if (!request.PrepareOutputFolder(outcome, dialogs) ||
        (outcome = publisher.PublishProject(request)) != PublishOutcome::Published) {
        const std::string why = dialogs.Take();
        return why.empty() ? "it could not be published" : why;
    }
    std::string published = request.outputFolder;
    published.pop_back(); // its trailing '/'
    const std::string target = m_options.folder + "/" + row.name;
    switch (platform::MoveFolderInto(published, target, m_options.replace, &error)) {
    case platform::FolderMove::Moved:
        break;
    case platform::FolderMove::Exchanged: // the earlier variant is now at the staged path
        break;
    case platform::FolderMove::TargetExists:
        return "its folder " + target + " exists already";
    case platform::FolderMove::Failed:
        return error;
    }
    for (const CreativeReport& creative : publisher.Creatives())
        if (creative.overLimit || creative.picturesLeftOut > 0) {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_summary.overRules;
            Report("row " + std::to_string(row.number) + " (" + row.name +
                   "): " + DescribeCreativeSize(creative));
            break;
        }
    if (!publisher.Overflows().empty()) {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_summary.notFitting;
        for (const PlanOverflow& overflow : publisher.Overflows())
            Report("row " + std::to_string(row.number) + " (" + row.name + "): the text of " +
                   overflow.id + " does not fit its box at " + std::to_string(overflow.width) +
                   "x" + std::to_string(overflow.height));
    }
    return {};
}

void FeedBatch::Work() {
    RowDialogs dialogs;
    std::string variantText;
    std::string projectPath = m_options.projectPath;
    CPublisher publisher(
        m_settings, dialogs, m_shell, m_window,
        [&variantText](ProjectTextKind kind, std::string& text) {
            text = kind == ProjectTextKind::PhotoEditor ? variantText : std::string();
            return kind == ProjectTextKind::PhotoEditor;
        },
        [projectPath] { return projectPath; });
    publisher.SetJpegChoice(m_options.jpeg);
    publisher.SetSettingsUpdate(SettingsUpdate::Leave);
    FeedRow row;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!NextRow(row))
                return;
        }
        const std::string failure = PublishRow(row, publisher, dialogs, variantText);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (failure.empty()) {
            ++m_summary.published;
        } else {
            ++m_summary.failed;
            Report("row " + std::to_string(row.number) + " (" + row.name + "): " + failure);
        }
        ++m_done;
        if (m_options.progress)
            m_options.progress(m_done);
    }
}

FeedSummary FeedBatch::Run() {
    if (Prepare()) {
        unsigned workers = m_options.workers;
        if (workers == 0)
            workers = std::max(1u, std::thread::hardware_concurrency());
        std::vector<std::thread> threads;
        for (unsigned i = 1; i < workers; ++i)
            threads.emplace_back([this] { Work(); });
        Work();
        for (std::thread& thread : threads)
            thread.join();
    }
    if (!m_staging.empty()) {
        std::error_code failed;
        std::filesystem::remove_all(m_staging, failed);
    }
    return m_summary;
}

} // namespace

std::string RefusedFeedCells(const std::vector<std::pair<std::string, std::string>>& cells) {
    // A cell that is not text (bytes of another encoding, say) would be published garbled.
    for (const auto& [column, value] : cells)
        if (!platform::IsXmlText(value))
            return "the column \"" + column +
                   "\" is not UTF-8 text (or holds a control character); the feed must be saved "
                   "as UTF-8";
    return {};
}

FeedRows ReadFeedRows(const std::string& feedPath, std::size_t maxRows, std::size_t maxBytes) {
    FeedRows out;
    std::ifstream input(feedPath, std::ios::binary);
    if (!input) {
        out.failure = "cannot read the feed " + feedPath + ": " + platform::LastErrorText();
        return out;
    }
    FeedReader reader(input);
    std::vector<std::string> fields;
    std::string error;
    FeedReader::Status status = reader.Next(fields, &error);
    if (status != FeedReader::Status::Record) {
        out.failure = "the feed " + feedPath +
                      (status == FeedReader::Status::End ? " has no header row"
                                                         : " cannot be read: " + error);
        return out;
    }
    for (const std::string& column : fields)
        out.columns.push_back(platform::ToXmlText(Trimmed(column)));
    std::size_t bytes = 0;
    while ((status = reader.Next(fields, &error)) == FeedReader::Status::Record) {
        const std::size_t number = ++out.total;
        if (out.rows.size() >= maxRows || bytes >= maxBytes)
            continue; // counted only
        std::vector<std::pair<std::string, std::string>> cells;
        for (std::size_t i = 0; i < out.columns.size(); ++i)
            cells.emplace_back(out.columns[i], i < fields.size() ? fields[i] : std::string());
        const std::string refused = RefusedFeedCells(cells);
        if (!refused.empty())
            out.refused[number] = refused;
        std::vector<std::string>& row = out.rows.emplace_back();
        for (auto& cell : cells) {
            bytes += cell.second.size();
            row.push_back(platform::ToXmlText(cell.second));
        }
    }
    if (status == FeedReader::Status::Malformed)
        out.failure = "the feed " + feedPath + " breaks off at " + error;
    return out;
}

std::string VariantFolderName(const std::string& name, std::size_t row,
                              std::set<std::string>& used) {
    std::string safe = UrlSafeName(name, kMaxVariantName);
    if (safe.empty())
        safe = std::to_string(row);
    std::string unique = safe;
    for (int n = 2; Lower(unique) == kPlayerFolderName || used.count(Lower(unique)); ++n)
        unique = safe + "-" + std::to_string(n);
    used.insert(Lower(unique));
    return unique;
}

FeedSummary PublishFeed(const FeedPublishOptions& options, CAppSettings& settings,
                        platform::IShell& shell, platform::IHostWindow& window,
                        const FeedReportSink& report) {
    FeedBatch batch(options, settings, shell, window, report);
    return batch.Run();
}

} // namespace pennoria
