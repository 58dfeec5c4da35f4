#include "platform/graphics/SvgStrokeSplitting.h"

#include "platform/graphics/StrokeSplitting.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The SVG renderer smooths edges, and a wide pen turning sharply costs it much: a piece of 16
// segments of a zigzag took up to half a second on a printed page, one of 4 a twentieth.
constexpr size_t PieceSegments = 4;

using TAttributes = std::vector<std::pair<std::string_view, std::string_view>>;

bool Space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The attributes after a path's `d`, as the converter writes them: name="value", spaced.
std::optional<TAttributes> AttributesOf(std::string_view text) {
    TAttributes out;
    size_t at = 0;
    while (true) {
        while (at < text.size() && Space(text[at])) {
            ++at;
        }
        if (at == text.size()) {
            return out;
        }
        const size_t equals = text.find("=\"", at);
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        const size_t end = text.find('"', equals + 2);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        out.emplace_back(text.substr(at, equals - at), text.substr(equals + 2, end - equals - 2));
        at = end + 1;
    }
}

std::optional<std::string_view> Attribute(const TAttributes& attributes, std::string_view name) {
    for (const auto& [key, value] : attributes) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<double> Number(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? std::optional(value)
                                                                    : std::nullopt;
}

// The path of absolute moves, lines, cubic curves and closes `d` gives; nothing for any other.
std::optional<QPainterPath> PathOf(std::string_view d) {
    std::vector<std::string_view> tokens;
    for (size_t at = 0; at < d.size();) {
        if (Space(d[at]) || d[at] == ',') {
            ++at;
            continue;
        }
        size_t end = at + 1;
        if (d[at] != 'M' && d[at] != 'L' && d[at] != 'C' && d[at] != 'Z') {
            while (end < d.size() && !Space(d[end]) && d[end] != ',') {
                ++end;
            }
        }
        tokens.push_back(d.substr(at, end - at));
        at = end;
    }
    QPainterPath path;
    char command = 0;
    for (size_t i = 0; i < tokens.size();) {
        const std::string_view token = tokens[i];
        if (token == "M" || token == "L" || token == "C" || token == "Z") {
            command = token[0];
            ++i;
            if (command == 'Z') {
                path.closeSubpath();
            }
            continue;
        }
        const size_t numbers = command == 'C' ? 6 : 2;
        if ((command != 'M' && command != 'L' && command != 'C') || i + numbers > tokens.size()) {
            return std::nullopt;
        }
        double v[6];
        for (size_t k = 0; k < numbers; ++k) {
            const std::optional<double> n = Number(tokens[i + k]);
            if (!n) {
                return std::nullopt;
            }
            v[k] = *n;
        }
        i += numbers;
        if (command == 'M') {
            path.moveTo(v[0], v[1]);
            command = 'L'; // further points after a move are lines
        } else if (command == 'L') {
            path.lineTo(v[0], v[1]);
        } else {
            path.cubicTo(v[0], v[1], v[2], v[3], v[4], v[5]);
        }
    }
    return path;
}

void AppendNumber(std::string& out, double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    out.append(text, error == std::errc() ? end : text);
}

void AppendPoint(std::string& out, const QPainterPath::Element& e) {
    AppendNumber(out, e.x);
    out += ',';
    AppendNumber(out, e.y);
    out += ' ';
}

std::string DataOf(const QPainterPath& path) {
    std::string d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        d += e.isMoveTo() ? "M " : e.isLineTo() ? "L " : e.isCurveTo() ? "C " : "";
        AppendPoint(d, e);
    }
    return d;
}

const char* CapName(Qt::PenCapStyle cap) {
    return cap == Qt::RoundCap ? "round" : cap == Qt::SquareCap ? "square" : "butt";
}

// The path element of `d` and `attributes` as several, or nothing when it stays as it is.
std::optional<std::string> InPieces(std::string_view d, std::string_view attributeText) {
    size_t segments = 0;
    for (char c : d) {
        segments += c == 'L' || c == 'C';
    }
    if (segments <= PieceSegments) {
        return std::nullopt;
    }
    const std::optional<TAttributes> attributes = AttributesOf(attributeText);
    if (!attributes || Attribute(*attributes, "fill") != "none" ||
        Attribute(*attributes, "stroke").value_or("none") == "none" ||
        Attribute(*attributes, "stroke-dasharray")) {
        return std::nullopt;
    }
    const std::optional<double> width =
        Number(Attribute(*attributes, "stroke-width").value_or("1"));
    const std::optional<QPainterPath> path = PathOf(d);
    if (!width || !path || !(*width > 0)) {
        return std::nullopt;
    }
    const std::string_view capName = Attribute(*attributes, "stroke-linecap").value_or("butt");
    const Qt::PenCapStyle cap = capName == "round"    ? Qt::RoundCap
                                : capName == "square" ? Qt::SquareCap
                                                      : Qt::FlatCap;
    std::string kept;
    for (const auto& [name, value] : *attributes) {
        if (name != "stroke-linecap") {
            kept.append(" ").append(name).append("=\"").append(value).append("\"");
        }
    }
    std::string out;
    for (const TStrokePiece& piece : SplitStroke(*path, *width, cap, false, PieceSegments)) {
        out.append("<path d=\"").append(DataOf(piece.Path)).append("\"").append(kept);
        out.append(" stroke-linecap=\"").append(CapName(piece.Cap)).append("\" />\n");
    }
    return out;
}

} // namespace

std::string SvgWithStrokesSplit(const std::string& svg) {
    constexpr std::string_view Start = "<path d=\"";
    constexpr std::string_view End = "/>";
    constexpr std::string_view TextStart = "<![CDATA[";
    constexpr std::string_view TextEnd = "]]>";
    std::string out;
    size_t at = 0;
    // Where the next text begins, looked for again only once passed: looked for from each path,
    // a drawing of 100,000 paths and no text was read through 100,000 times.
    size_t text = svg.find(TextStart);
    while (true) {
        const size_t from = svg.find(Start, at);
        if (text < at) {
            text = svg.find(TextStart, at);
        }
        // Text is passed over: what it holds is no element.
        if (text < from) {
            const size_t textEnd = svg.find(TextEnd, text + TextStart.size());
            const size_t next =
                textEnd == std::string::npos ? svg.size() : textEnd + TextEnd.size();
            out.append(svg, at, next - at);
            at = next;
            continue;
        }
        const size_t data = from + Start.size();
        const size_t dataEnd = from == std::string::npos ? from : svg.find('"', data);
        const size_t end = dataEnd == std::string::npos ? dataEnd : svg.find(End, dataEnd);
        if (end == std::string::npos) {
            break;
        }
        const std::optional<std::string> pieces =
            InPieces(std::string_view(svg).substr(data, dataEnd - data),
                     std::string_view(svg).substr(dataEnd + 1, end - dataEnd - 1));
        out.append(svg, at, (pieces ? from : end + End.size()) - at);
        if (pieces) {
            out += *pieces;
        }
        at = end + End.size();
    }
    out.append(svg, at, std::string::npos);
    return out;
}
