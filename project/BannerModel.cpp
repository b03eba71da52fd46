// The banner model's answers, read from its JSON with nlohmann-json.
#include "project/BannerModel.h"

#include "core/ProgramPaths.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>

namespace pennoria {

const char* const kBannerModelScript = "banner-model.js";

namespace {

using Json = nlohmann::json;

// The model's own object in the script's global scope.
const char* const kModelObject = "PennoriaModel";
// The script is a few hundred kilobytes; nothing larger is evaluated.
constexpr std::uint64_t kMaxScriptBytes = std::uint64_t{16} << 20;
// Display lists nest a group per layer; deeper answers are refused.
constexpr int kMaxDepth = 32;

void SetError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

std::optional<std::uint32_t> ColourOrNone(const Json& value) {
    if (!value.is_number())
        return std::nullopt;
    return static_cast<std::uint32_t>(value.get<double>()) & 0xFFFFFFu;
}

double Number(const Json& object, const char* name, double fallback = 0) {
    auto found = object.find(name);
    return found != object.end() && found->is_number() ? found->get<double>() : fallback;
}

std::string Text(const Json& object, const char* name) {
    auto found = object.find(name);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

bool Flag(const Json& object, const char* name) {
    auto found = object.find(name);
    return found != object.end() && found->is_boolean() && found->get<bool>();
}

template <std::size_t N>
std::array<double, N> Numbers(const Json& object, const char* name,
                              std::array<double, N> fallback) {
    auto found = object.find(name);
    if (found == object.end() || !found->is_array() || found->size() != N)
        return fallback;
    std::array<double, N> values{};
    for (std::size_t i = 0; i < N; ++i)
        values[i] = (*found)[i].is_number() ? (*found)[i].get<double>() : fallback[i];
    return values;
}

bool ReadOps(const Json& list, std::vector<platform::DisplayOp>& ops, const PictureFiles& pictures,
             int depth);

bool ReadOp(const Json& item, platform::DisplayOp& op, const PictureFiles& pictures, int depth) {
    using Kind = platform::DisplayOp::Kind;
    const std::string name = Text(item, "op");
    op.x = Number(item, "x");
    op.y = Number(item, "y");
    op.w = Number(item, "w");
    op.h = Number(item, "h");
    if (name == "group") {
        op.kind = Kind::Group;
        op.opacity = Number(item, "opacity", 1);
        op.transform = Numbers<6>(item, "transform", {1, 0, 0, 1, 0, 0});
        auto inner = item.find("ops");
        return inner == item.end() || ReadOps(*inner, op.ops, pictures, depth + 1);
    }
    if (name == "rect" || name == "ellipse") {
        op.kind = name == "rect" ? Kind::Rect : Kind::Ellipse;
        op.fill = ColourOrNone(item.value("fill", Json()));
        op.stroke = ColourOrNone(item.value("stroke", Json()));
        op.strokeWidth = Number(item, "strokeWidth");
        op.radius = Number(item, "radius");
        return true;
    }
    if (name == "picture") {
        op.kind = Kind::Picture;
        op.src = Text(item, "src");
        auto file = pictures.find(op.src);
        if (file != pictures.end())
            op.path = file->second.path;
        op.source = Numbers<4>(item, "source", {0, 0, 0, 0});
        op.clip = Numbers<4>(item, "clip", {op.x, op.y, op.w, op.h});
        return true;
    }
    if (name == "text") {
        op.kind = Kind::Text;
        op.text = Text(item, "text");
        if (auto lines = item.find("lines"); lines != item.end() && lines->is_array())
            for (const Json& line : *lines)
                if (line.is_string())
                    op.lines.push_back(line.get<std::string>());
        op.face = Text(item, "face");
        op.size = Number(item, "size", 16);
        op.bold = Flag(item, "bold");
        op.italic = Flag(item, "italic");
        op.colour = ColourOrNone(item.value("color", Json())).value_or(0);
        const std::string align = Text(item, "align");
        op.align = align == "center"  ? platform::TextAlign::Center
                   : align == "right" ? platform::TextAlign::Right
                                      : platform::TextAlign::Left;
        op.middle = Text(item, "valign") == "middle";
        op.wrap = Flag(item, "wrap");
        op.lineHeight = Number(item, "lineHeight");
        op.inset = Number(item, "inset");
        op.anchor = Number(item, "anchor");
        if (auto shadow = item.find("shadow"); shadow != item.end() && shadow->is_object())
            op.shadow = platform::TextShadow{
                ColourOrNone(shadow->value("color", Json())).value_or(0), Number(*shadow, "x"),
                Number(*shadow, "y"), Number(*shadow, "blur")};
        return true;
    }
    return false;
}

bool ReadOps(const Json& list, std::vector<platform::DisplayOp>& ops, const PictureFiles& pictures,
             int depth) {
    if (!list.is_array() || depth > kMaxDepth)
        return false;
    ops.reserve(list.size());
    for (const Json& item : list) {
        if (!item.is_object())
            return false;
        platform::DisplayOp op;
        if (!ReadOp(item, op, pictures, depth))
            return false;
        ops.push_back(std::move(op));
    }
    return true;
}

bool IsHex4(const std::string& text, std::size_t at) {
    if (at + 4 > text.size())
        return false;
    for (std::size_t i = at; i < at + 4; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// A project's text may name lone surrogates (as character references), which the script's
// strings keep and its JSON writes as escapes no JSON reader takes: each becomes U+FFFD.
std::string WithoutLoneSurrogates(const std::string& json) {
    std::string out;
    out.reserve(json.size());
    auto unit = [&json](std::size_t at) {
        return static_cast<unsigned>(std::stoul(json.substr(at, 4), nullptr, 16));
    };
    for (std::size_t i = 0; i < json.size(); ++i) {
        if (json[i] != '\\' || i + 1 >= json.size()) {
            out += json[i];
            continue;
        }
        if (json[i + 1] != 'u' || !IsHex4(json, i + 2)) {
            out.append(json, i, 2);
            ++i;
            continue;
        }
        const unsigned first = unit(i + 2);
        const bool high = first >= 0xD800 && first <= 0xDBFF;
        const bool low = first >= 0xDC00 && first <= 0xDFFF;
        if (high && i + 11 < json.size() && json.compare(i + 6, 2, "\\u") == 0 &&
            IsHex4(json, i + 8) && unit(i + 8) >= 0xDC00 && unit(i + 8) <= 0xDFFF) {
            out.append(json, i, 12);
            i += 11;
        } else if (high || low) {
            out += "\\ufffd";
            i += 5;
        } else {
            out.append(json, i, 6);
            i += 5;
        }
    }
    return out;
}

// The answer as JSON; a discarded value (and why) when it is not, or when it is the model's
// refusal.
Json Parse(const std::optional<std::string>& answer, std::string* error) {
    if (!answer)
        return Json(Json::value_t::discarded);
    Json json = Json::parse(WithoutLoneSurrogates(*answer), nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        SetError(error, "the banner model's answer is not an object");
        return Json(Json::value_t::discarded);
    }
    if (auto refused = json.find("error"); refused != json.end() && refused->is_string()) {
        SetError(error, refused->get<std::string>());
        return Json(Json::value_t::discarded);
    }
    return json;
}

int Int(const Json& object, const char* name, int fallback = 0) {
    const double value = Number(object, name, fallback);
    return value >= -2147483648.0 && value <= 2147483647.0 ? static_cast<int>(value) : fallback;
}

std::optional<platform::DisplayList> ListFromJson(const Json& json, const PictureFiles& pictures,
                                                  std::string* error) {
    platform::DisplayList list;
    list.width = Int(json, "width");
    list.height = Int(json, "height");
    list.background = ColourOrNone(json.value("background", Json())).value_or(0xFFFFFF);
    list.transparent = Flag(json, "transparent");
    auto ops = json.find("ops");
    if (ops == json.end() || !ReadOps(*ops, list.ops, pictures, 0)) {
        SetError(error, "the banner model's display list is damaged");
        return std::nullopt;
    }
    return list;
}

} // namespace

BannerModel::BannerModel(std::unique_ptr<platform::IScriptEngine> engine)
    : m_engine(std::move(engine)) {}

std::unique_ptr<BannerModel> BannerModel::Load(const std::string& scriptPath, std::string* error) {
    std::string failure;
    auto source = platform::ReadWholeFile(scriptPath, &failure, kMaxScriptBytes);
    if (!source) {
        SetError(error, "cannot read the banner model " + scriptPath + ": " + failure);
        return nullptr;
    }
    auto engine = platform::CreateScriptEngine(*source, kBannerModelScript, &failure);
    if (!engine) {
        SetError(error, "cannot start the banner model: " + failure);
        return nullptr;
    }
    return std::make_unique<BannerModel>(std::move(engine));
}

BannerModel* BannerModel::Shared(std::string* error) {
    static std::mutex mutex;
    // Kept until the process ends: the engine is never torn down while the process exits.
    static BannerModel* shared = nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    if (!shared)
        shared = Load(GetProgramFolder() + kBannerModelScript, error).release();
    return shared;
}

std::optional<PublishPlan> BannerModel::Plan(const std::string& projectXml, std::string* error) {
    const Json json = Parse(m_engine->Call(kModelObject, "plan", {projectXml}, error), error);
    if (json.is_discarded())
        return std::nullopt;
    try {
        PublishPlan plan;
        plan.isProject = json.value("project", true);
        plan.version = Int(json, "version", 2);
        for (const Json& size : json.at("sizes"))
            plan.sizes.push_back({Int(size, "width"), Int(size, "height")});
        if (plan.sizes.empty()) {
            SetError(error, "the banner model gave no size");
            return std::nullopt;
        }
        plan.shown = static_cast<std::size_t>(std::max(0, Int(json, "shown")));
        if (plan.shown >= plan.sizes.size())
            plan.shown = 0;
        plan.background = ColourOrNone(json.value("background", Json())).value_or(0xFFFFFF);
        plan.image = Text(json, "image");
        plan.link = Text(json, "link");
        plan.linkTarget = Text(json, "linkTarget");
        plan.length = Int(json, "length");
        plan.loops = Int(json, "loops", 1);
        plan.finalTime = Number(json, "finalTime");
        for (const Json& item : json.at("elements")) {
            PlanElement element;
            element.id = Text(item, "id");
            element.picture = Text(item, "src");
            element.link = Text(item, "url");
            for (const Json& box : item.at("boxes"))
                element.boxes.push_back({Number(box, "x"), Number(box, "y"), Number(box, "width"),
                                         Number(box, "height"), Int(box, "fontSize")});
            plan.elements.push_back(std::move(element));
        }
        for (const Json& name : json.at("pictures"))
            plan.pictures.push_back(name.get<std::string>());
        for (const Json& face : json.at("faces"))
            plan.faces.push_back({Text(face, "family"), Flag(face, "bold"), Flag(face, "italic"),
                                  Text(face, "text"), Flag(face, "system"), Text(face, "range")});
        // Only names of movies the program ships: letters alone, never a path.
        for (const Json& name : json.at("faceMovies")) {
            const std::string movie = name.get<std::string>();
            if (!movie.empty() && movie.size() <= 64 &&
                std::all_of(movie.begin(), movie.end(), [](char c) {
                    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
                }))
                plan.faceMovies.push_back(movie);
        }
        if (auto fonts = json.find("fonts"); fonts != json.end())
            for (const Json& font : *fonts)
                plan.fonts.push_back({Text(font, "family"), Text(font, "src")});
        for (const Json& limit : json.at("overLimits"))
            plan.overLimits.push_back({Text(limit, "what"),
                                       static_cast<long long>(Number(limit, "count")),
                                       static_cast<long long>(Number(limit, "limit"))});
        if (auto overflows = json.find("overflows"); overflows != json.end())
            for (const Json& item : *overflows)
                plan.overflows.push_back(
                    {Text(item, "id"), Int(item, "width"), Int(item, "height")});
        return plan;
    } catch (const Json::exception& failure) {
        SetError(error, std::string("the banner model's plan is damaged: ") + failure.what());
        return std::nullopt;
    }
}

std::optional<platform::DisplayList> BannerModel::Display(const std::string& projectXml, int width,
                                                          int height, double t,
                                                          const PictureFiles& pictures,
                                                          std::string* error) {
    Json sizes = Json::object();
    for (const auto& [name, file] : pictures)
        if (file.width > 0 && file.height > 0)
            sizes[name] = {file.width, file.height};
    const Json json = Parse(m_engine->Call(kModelObject, "displayList",
                                           {projectXml, static_cast<double>(width),
                                            static_cast<double>(height), t, sizes.dump()},
                                           error),
                            error);
    if (json.is_discarded())
        return std::nullopt;
    return ListFromJson(json, pictures, error);
}

std::optional<std::vector<HostTextPicture>>
BannerModel::HostTexts(const std::string& projectXml, int width, int height, std::string* error) {
    const Json json =
        Parse(m_engine->Call(kModelObject, "hostTexts",
                             {projectXml, static_cast<double>(width), static_cast<double>(height)},
                             error),
              error);
    if (json.is_discarded())
        return std::nullopt;
    auto texts = json.find("texts");
    if (texts == json.end() || !texts->is_array()) {
        SetError(error, "the banner model's text pictures are damaged");
        return std::nullopt;
    }
    std::vector<HostTextPicture> pictures;
    for (const Json& item : *texts) {
        auto list = item.is_object() ? item.find("list") : item.end();
        if (list == item.end() || !list->is_object()) {
            SetError(error, "the banner model's text pictures are damaged");
            return std::nullopt;
        }
        auto painted = ListFromJson(*list, {}, error);
        if (!painted)
            return std::nullopt;
        pictures.push_back({Text(item, "name"), std::move(*painted)});
    }
    return pictures;
}

std::optional<std::string>
BannerModel::PublishText(const std::string& projectXml, int width, int height,
                         const std::map<std::string, std::string>& published,
                         const std::string& componentMovie, std::string* error) {
    Json options = {{"width", width}, {"height", height}, {"component", componentMovie}};
    options["pictures"] = Json::object();
    for (const auto& [name, reference] : published)
        options["pictures"][name] = reference;
    auto text = m_engine->Call(kModelObject, "publishText", {projectXml, options.dump()}, error);
    // What the text names that XML cannot hold (lone surrogates, non-characters) is U+FFFD.
    if (text)
        *text = platform::ToXmlText(*text);
    return text;
}

std::optional<LayoutResult> BannerModel::Layout(const std::string& projectXml,
                                                const std::vector<std::string>& sizes,
                                                bool relayout, std::string* error) {
    const Json options = {{"sizes", sizes}, {"relayout", relayout}};
    const Json json =
        Parse(m_engine->Call(kModelObject, "layout", {projectXml, options.dump()}, error), error);
    if (json.is_discarded())
        return std::nullopt;
    LayoutResult result;
    result.refused = Flag(json, "refused");
    result.project = platform::ToXmlText(Text(json, "project"));
    if (auto notes = json.find("notes"); notes != json.end() && notes->is_array())
        for (const Json& note : *notes)
            if (note.is_string())
                result.notes.push_back(note.get<std::string>());
    if (!result.refused && result.project.empty()) {
        SetError(error, "the banner model's layout is damaged");
        return std::nullopt;
    }
    return result;
}

std::optional<std::string>
BannerModel::RenamePictures(const std::string& projectXml,
                            const std::map<std::string, std::string>& renamed, std::string* error) {
    Json names = Json::object();
    for (const auto& [name, to] : renamed)
        names[name] = to;
    auto text = m_engine->Call(kModelObject, "renamePictures", {projectXml, names.dump()}, error);
    if (text)
        *text = platform::ToXmlText(*text);
    return text;
}

std::optional<FeedVariant>
BannerModel::Variant(const std::string& projectXml,
                     const std::vector<std::pair<std::string, std::string>>& cells,
                     const std::string& feedFolder, std::string* error) {
    Json options = {{"folder", feedFolder}, {"cells", Json::array()}};
    for (const auto& [column, value] : cells)
        options["cells"].push_back({column, value});
    // Bytes that are not UTF-8 become U+FFFD instead of stopping the dump.
    const Json json = Parse(
        m_engine->Call(kModelObject, "variant",
                       {projectXml, options.dump(-1, ' ', false, Json::error_handler_t::replace)},
                       error),
        error);
    if (json.is_discarded())
        return std::nullopt;
    FeedVariant variant;
    variant.projectText = platform::ToXmlText(Text(json, "project"));
    if (auto unknown = json.find("unknown"); unknown != json.end() && unknown->is_array())
        for (const Json& column : *unknown)
            if (column.is_string())
                variant.unknownColumns.push_back(column.get<std::string>());
    return variant;
}

std::optional<platform::DisplayList> ReadDisplayList(const std::string& json, std::string* error) {
    const Json parsed = Parse(json, error);
    if (parsed.is_discarded())
        return std::nullopt;
    return ListFromJson(parsed, {}, error);
}

std::string DescribeLimits(const std::vector<PlanLimit>& limits) {
    std::string text;
    for (const PlanLimit& limit : limits)
        text += (text.empty() ? "" : ", ") + std::to_string(limit.count) + " " + limit.what +
                " (at most " + std::to_string(limit.limit) + ")";
    return text;
}

} // namespace pennoria
