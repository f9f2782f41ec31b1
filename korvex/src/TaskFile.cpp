#include "TaskFile.hpp"

#include "Text.hpp"

#include <nlohmann/json.hpp>

#include <charconv>
#include <climits>
#include <cstdint>
#include <set>

namespace korvex {

namespace {

void appendEscaped(std::string& out, std::string_view s) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 0xF];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void appendInt(std::string& out, long long v) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, res.ptr);
}

struct Writer {
    const std::map<int, std::unique_ptr<Item>>& items;
    std::string& out;
    std::size_t count = 0;

    bool item(int handle, int expectedKind, int depth) {
        auto it = items.find(handle);
        if (it == items.end())
            return false;
        const Item& item = *it->second;
        if (item.kind != expectedKind || ++count > kMaxItems ||
            item.fields.size() > kMaxFieldsPerItem)
            return false;
        out.append(static_cast<std::size_t>(depth) * 2, ' ');
        out += "{\"kind\": ";
        appendInt(out, item.kind);
        out += ", \"fields\": {";
        bool first = true;
        for (const auto& [field, value] : item.fields) {
            if (!first)
                out += ", ";
            first = false;
            out += '"';
            appendInt(out, field);
            out += "\": ";
            if (value.isText) {
                if (value.text.size() > kMaxTextBytes || value.text.find('\0') != std::string::npos)
                    return false;
                // JSON strings hold Unicode only; other bytes go as hex, so any
                // reader still sees every UTF-8 text as a plain string.
                if (isValidUtf8(value.text)) {
                    appendEscaped(out, value.text);
                } else {
                    out += "{\"bytes\": \"";
                    out += toHex(value.text);
                    out += "\"}";
                }
            } else {
                appendInt(out, value.num);
            }
        }
        out += '}';
        if (!item.children.empty()) {
            if (linkFieldOf(item.kind) == 0)
                return false;
            out += ", \"children\": [\n";
            for (std::size_t i = 0; i < item.children.size(); ++i) {
                if (!this->item(item.children[i], item.kind + 1, depth + 1))
                    return false;
                out += i + 1 < item.children.size() ? ",\n" : "\n";
            }
            out.append(static_cast<std::size_t>(depth) * 2, ' ');
            out += ']';
        }
        out += '}';
        return out.size() <= kMaxFileBytes;
    }
};

bool canonicalField(const std::string& key, int& field) {
    if (key.empty() || key.size() > 10 || key[0] == '0')
        return false;
    long long v = 0;
    for (char c : key) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v > INT_MAX)
        return false;
    field = static_cast<int>(v);
    return true;
}

using Json = nlohmann::json;

// Builds the tree straight from parse events, refusing as soon as the input
// leaves the format's shape, so deep or huge inputs never reach memory.
class Reader : public nlohmann::json_sax<Json> {
public:
    Tree tree;

    bool complete() const {
        // The members may come in any order, so the version is known only now.
        return sawFormat_ && sawVersion_ && sawDocument_ && stack_.empty() && done_ &&
               (!sawBytes_ || version_ >= kBytesFormVersion);
    }

    bool null() override { return false; }
    bool boolean(bool) override { return false; }
    bool binary(binary_t&) override { return false; }
    bool number_float(number_float_t, const string_t&) override { return false; }
    bool number_unsigned(number_unsigned_t v) override {
        if (v > static_cast<number_unsigned_t>(INT_MAX))
            return false;
        return integer(static_cast<long long>(v));
    }
    bool number_integer(number_integer_t v) override {
        if (v < INT_MIN || v > INT_MAX)
            return false;
        return integer(v);
    }

    bool string(string_t& s) override {
        if (stack_.empty())
            return false;
        Frame& f = stack_.back();
        if (f.ctx == Ctx::Root && key_ == Key::Format) {
            if (sawFormat_ || s != kFormatId)
                return false;
            sawFormat_ = true;
            return true;
        }
        if (f.ctx == Ctx::Fields) {
            if (s.size() > kMaxTextBytes || s.find('\0') != std::string::npos)
                return false;
            tree[f.item].fields[field_] = Value::ofText(std::move(s));
            return true;
        }
        if (f.ctx == Ctx::Bytes && key_ == Key::Bytes && !f.sawBytes) {
            std::optional<std::string> bytes = fromHex(s);
            if (!bytes || bytes->size() > kMaxTextBytes)
                return false;
            f.sawBytes = true;
            tree[f.item].fields[field_] = Value::ofText(std::move(*bytes));
            return true;
        }
        return false;
    }

    bool start_object(std::size_t) override {
        if (stack_.empty()) {
            if (done_)
                return false;
            stack_.push_back({Ctx::Root, 0, 0});
            return true;
        }
        Frame& f = stack_.back();
        if (f.ctx == Ctx::Root && key_ == Key::Document) {
            if (sawDocument_)
                return false;
            sawDocument_ = true;
            return newItem(kDocument);
        }
        if (f.ctx == Ctx::Children) {
            const std::size_t parent = f.item;
            const int depth = f.depth + 1;
            if (!newItem(depth))
                return false;
            tree[parent].children.push_back(stack_.back().item);
            return true;
        }
        if (f.ctx == Ctx::Item && key_ == Key::Fields) {
            if (f.sawFields)
                return false;
            f.sawFields = true;
            stack_.push_back({Ctx::Fields, f.item, f.depth});
            return true;
        }
        if (f.ctx == Ctx::Fields) {
            sawBytes_ = true;
            key_ = Key::None;
            stack_.push_back({Ctx::Bytes, f.item, f.depth});
            return true;
        }
        return false;
    }

    bool key(string_t& k) override {
        if (stack_.empty())
            return false;
        Frame& f = stack_.back();
        switch (f.ctx) {
        case Ctx::Root:
            if (k == "format")
                key_ = Key::Format;
            else if (k == "version")
                key_ = Key::Version;
            else if (k == "document")
                key_ = Key::Document;
            else
                return false;
            return true;
        case Ctx::Item:
            if (k == "kind")
                key_ = Key::Kind;
            else if (k == "fields")
                key_ = Key::Fields;
            else if (k == "children")
                key_ = Key::Children;
            else
                return false;
            return true;
        case Ctx::Fields: {
            int field = 0;
            if (!canonicalField(k, field))
                return false;
            FieldMap& fields = tree[f.item].fields;
            if (fields.count(field) != 0 || fields.size() >= kMaxFieldsPerItem)
                return false;
            field_ = field;
            return true;
        }
        case Ctx::Bytes:
            // Exactly one member: a second one, even "bytes" again, is refused.
            if (k != "bytes" || key_ == Key::Bytes)
                return false;
            key_ = Key::Bytes;
            return true;
        case Ctx::Children:
            return false;
        }
        return false;
    }

    bool end_object() override {
        if (stack_.empty())
            return false;
        Frame f = stack_.back();
        stack_.pop_back();
        if (f.ctx == Ctx::Root) {
            done_ = true;
            return true;
        }
        if (f.ctx == Ctx::Item)
            return finishItem(f);
        if (f.ctx == Ctx::Bytes)
            return f.sawBytes;
        return f.ctx == Ctx::Fields;
    }

    bool start_array(std::size_t) override {
        if (stack_.empty())
            return false;
        Frame& f = stack_.back();
        // Files are the deepest level; they never carry children.
        if (f.ctx != Ctx::Item || key_ != Key::Children || f.sawChildren || f.depth >= kFile)
            return false;
        f.sawChildren = true;
        stack_.push_back({Ctx::Children, f.item, f.depth});
        return true;
    }

    bool end_array() override {
        if (stack_.empty() || stack_.back().ctx != Ctx::Children)
            return false;
        stack_.pop_back();
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    // Bytes: the escaped form of a text that is not UTF-8, {"bytes": "hex"}.
    enum class Ctx { Root, Item, Fields, Bytes, Children };
    enum class Key { None, Format, Version, Document, Kind, Fields, Children, Bytes };
    struct Frame {
        Ctx ctx;
        std::size_t item;
        int depth;
        bool sawKind = false;
        bool sawFields = false;
        bool sawChildren = false;
        bool sawBytes = false;
    };

    std::vector<Frame> stack_;
    Key key_ = Key::None;
    int field_ = 0;
    bool sawFormat_ = false, sawVersion_ = false, sawDocument_ = false, done_ = false;
    bool sawBytes_ = false;
    long long version_ = 0;

    bool newItem(int depth) {
        if (tree.size() >= kMaxItems)
            return false;
        tree.emplace_back();
        stack_.push_back({Ctx::Item, tree.size() - 1, depth});
        return true;
    }

    bool integer(long long v) {
        if (stack_.empty())
            return false;
        Frame& f = stack_.back();
        if (f.ctx == Ctx::Root && key_ == Key::Version) {
            if (sawVersion_ || v < kFirstFormatVersion || v > kFormatVersion)
                return false;
            sawVersion_ = true;
            version_ = v;
            return true;
        }
        if (f.ctx == Ctx::Item && key_ == Key::Kind) {
            // The depth fixes the kind: document, task, server, list, file.
            if (f.sawKind || v != f.depth)
                return false;
            f.sawKind = true;
            tree[f.item].kind = static_cast<int>(v);
            return true;
        }
        if (f.ctx == Ctx::Fields) {
            tree[f.item].fields[field_] = Value::number(static_cast<int>(v));
            return true;
        }
        return false;
    }

    bool finishItem(const Frame& f) {
        if (!f.sawKind)
            return false;
        const TreeItem& item = tree[f.item];
        // Links are stated by "children" only, never as a number field.
        const int link = linkFieldOf(item.kind);
        return link == 0 || item.fields.count(link) == 0;
    }
};

} // namespace

bool writeTaskText(const std::map<int, std::unique_ptr<Item>>& items, int root, std::string& out) {
    out.clear();
    out += "{\n  \"format\": \"";
    out += kFormatId;
    out += "\",\n  \"version\": ";
    appendInt(out, kFormatVersion);
    out += ",\n  \"document\":\n";
    Writer w{items, out};
    if (!w.item(root, kDocument, 1))
        return false;
    out += "\n}\n";
    return out.size() <= kMaxFileBytes;
}

std::optional<Tree> parseTaskText(std::string_view data) {
    if (data.empty() || data.size() > kMaxFileBytes)
        return std::nullopt;
    // The JSON reader would skip a byte-order mark, which the format forbids:
    // a file other readers refuse must not load here either.
    if (data.starts_with("\xEF\xBB\xBF"))
        return std::nullopt;
    Reader reader;
    try {
        const bool ok = Json::sax_parse(data.begin(), data.end(), &reader,
                                        nlohmann::detail::input_format_t::json, true, false);
        if (!ok || !reader.complete())
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return std::move(reader.tree);
}

} // namespace korvex
