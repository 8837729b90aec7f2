#include "dbframework/DBFrameWork_VCardSource.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "dbframework/DBFrameWork_Platform.h"
#include "settings/Quenbrook_TextEncoding.h"

// Last: its header defines NULL as a plain 0 for what follows.
#define NORCSID
#include <vf_iface.h>

namespace DBFrameWork {
namespace {

std::string Lower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

// The parameters of a property end, for the library, at the first ";" or
// ":" even inside quotes; a quoted value's own are blanked (they are in
// values such as LABEL that are not read).
void BlankQuotedSeparators(std::string& line)
{
    size_t at = 0;
    while (at < line.size() && IsNameCharacter(line[at]))
        ++at;
    if (at == 0 || at >= line.size() || line[at] != ';')
        return;
    bool quoted = false;
    for (; at < line.size(); ++at) {
        if (line[at] == '"')
            quoted = !quoted;
        else if (quoted && (line[at] == ';' || line[at] == ':'))
            line[at] = ' ';
        else if (!quoted && line[at] == ':')
            return;
    }
}

struct PreparedText {
    std::string Text;
    size_t Cards = 0;
    // A card without its END line: the file was cut short.
    bool Unended = false;
};

PreparedText Prepare(const std::string& input)
{
    std::string text = input.compare(0, 3, "\xEF\xBB\xBF") == 0 ? input.substr(3) : input;
    PreparedText prepared;
    std::istringstream lines(text);
    std::string line, logical;
    int depth = 0;
    const auto finish = [&]() {
        if (logical.empty())
            return;
        BlankQuotedSeparators(logical);
        const std::string upper = Lower(logical);
        if (upper.rfind("begin:vcard", 0) == 0 && depth++ == 0)
            ++prepared.Cards;
        else if (upper.rfind("end:vcard", 0) == 0 && depth > 0)
            --depth;
        prepared.Text += logical + "\r\n";
        logical.clear();
    };
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // A line that begins with a space or a tab goes on the one before.
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !logical.empty()) {
            logical += line.substr(1);
            continue;
        }
        finish();
        logical = line;
    }
    finish();
    prepared.Unended = depth > 0;
    return prepared;
}

struct Property {
    std::string Name;
    std::set<std::string> Types;
    bool Preferred = false;
    bool Windows1252 = false;
    // As the library split them at every semicolon, escapes still in.
    std::vector<std::string> Parts;
};

Property ReadProperty(VF_PROP_T* prop)
{
    Property property;
    const char* name = vf_get_prop_name_string(prop, 0);
    property.Name = Lower(name ? name : "");
    for (uint32_t at = 1;; ++at) {
        const char* parameter = vf_get_prop_name_string(prop, at);
        if (!parameter)
            break;
        const std::string text = Lower(parameter);
        const size_t equals = text.find('=');
        const std::string key = equals == std::string::npos ? "type" : text.substr(0, equals);
        std::string value = equals == std::string::npos ? text : text.substr(equals + 1);
        value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
        if (key == "type") {
            std::istringstream list(value);
            std::string type;
            while (std::getline(list, type, ','))
                property.Types.insert(type);
        } else if (key == "pref") {
            property.Preferred = true;
        } else if (key == "charset") {
            property.Windows1252 = value == "iso-8859-1" || value == "windows-1252" || value == "cp1252";
        }
    }
    property.Preferred = property.Preferred || property.Types.count("pref") > 0;
    void* value = nullptr;
    uint32_t size = 0;
    vf_encoding_t encoding = VF_ENC_UNKNOWN;
    if (!vf_get_prop_value(prop, &value, &size, &encoding))
        return property;
    if (encoding == VF_ENC_7BIT || encoding == VF_ENC_QUOTEDPRINTABLE) {
        for (uint32_t at = 0; at < size; ++at) {
            const char* part = vf_get_prop_value_string(prop, at);
            property.Parts.emplace_back(part ? part : "");
        }
    } else if (encoding == VF_ENC_8BIT && value) {
        property.Parts.emplace_back(static_cast<const char*>(value), size);
    }
    for (std::string& part : property.Parts)
        if (property.Windows1252 || !Quenbrook::IsValidUtf8(part))
            part = Quenbrook::Windows1252ToUtf8(part);
    return property;
}

bool EndsInEscape(const std::string& part)
{
    size_t backslashes = 0;
    for (size_t at = part.size(); at > 0 && part[at - 1] == '\\'; --at)
        ++backslashes;
    return backslashes % 2 == 1;
}

// The components of a structured value, the library's split at an escaped
// semicolon undone.
std::vector<std::string> Components(const Property& property)
{
    std::vector<std::string> components;
    bool joinNext = false;
    for (const std::string& part : property.Parts) {
        if (joinNext)
            components.back() += ";" + part;
        else
            components.push_back(part);
        joinNext = EndsInEscape(components.back());
    }
    return components;
}

std::string WholeValue(const Property& property)
{
    std::string value;
    for (size_t at = 0; at < property.Parts.size(); ++at)
        value += (at > 0 ? ";" : "") + property.Parts[at];
    return value;
}

std::string Unescaped(const std::string& text)
{
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\' || at + 1 == text.size()) {
            out += text[at];
            continue;
        }
        const char next = text[++at];
        if (next == 'n' || next == 'N')
            out += "\r\n";
        else if (next == '\\' || next == ',' || next == ';' || next == ':')
            out += next;
        else
            out += std::string("\\") + next;
    }
    return out;
}

// The values of a component that lists several, split at unescaped commas.
std::vector<std::string> ListValues(const std::string& component)
{
    std::vector<std::string> values(1);
    for (size_t at = 0; at < component.size(); ++at) {
        if (component[at] == '\\' && at + 1 < component.size()) {
            values.back() += component.substr(at, 2);
            ++at;
        } else if (component[at] == ',') {
            values.emplace_back();
        } else {
            values.back() += component[at];
        }
    }
    return values;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

std::string Component(const std::vector<std::string>& components, size_t at)
{
    return at < components.size() ? Trimmed(Unescaped(components[at])) : std::string();
}

std::string NameOf(const Property& property)
{
    const std::vector<std::string> parts = Components(property);
    // Prefix, given, additional, family, suffix.
    std::string name;
    for (const size_t at : {3, 1, 2, 0, 4}) {
        const std::string part = Component(parts, at);
        if (!part.empty())
            name += (name.empty() ? "" : " ") + part;
    }
    return name;
}

void ReadAddress(const Property& property, bool listsInComponents, CustomerRecord& customer)
{
    const std::vector<std::string> parts = Components(property);
    std::vector<std::string> lines;
    const auto addLines = [&lines](const std::string& component) {
        std::istringstream text(Unescaped(component));
        std::string line;
        while (std::getline(text, line))
            if (!Trimmed(line).empty())
                lines.push_back(Trimmed(line));
    };
    // Street, then the extended address and the post office box, as older
    // programs put the flat or suite there.
    for (const size_t at : {2, 1, 0}) {
        if (at >= parts.size())
            continue;
        if (listsInComponents)
            for (const std::string& value : ListValues(parts[at]))
                addLines(value);
        else
            addLines(parts[at]);
    }
    customer.Address.clear();
    for (const std::string& line : lines)
        customer.Address += (customer.Address.empty() ? "" : "\r\n") + line;
    customer.City = Component(parts, 3);
    customer.State = Component(parts, 4);
    customer.Zip = Component(parts, 5);
}

PhoneRecord PhoneOf(const Property& property)
{
    PhoneRecord phone;
    const auto& types = property.Types;
    phone.Kind = types.count("cell") || types.count("mobile") || types.count("iphone") ? "mobile"
        : types.count("home")                                                          ? "home"
        : types.count("work")                                                          ? "work"
                                                                                       : "mobile";
    std::string number = Trimmed(Unescaped(WholeValue(property)));
    if (Lower(number.substr(0, 4)) == "tel:") {
        number = number.substr(4);
        const size_t extension = Lower(number).find(";ext=");
        if (extension != std::string::npos)
            number = number.substr(0, extension) + " ext. " + number.substr(extension + 5);
        const size_t more = number.find(';');
        if (more != std::string::npos)
            number.resize(more);
    }
    phone.Number = number;
    return phone;
}

VCardCustomer ReadCard(VF_OBJECT_T* card, size_t number)
{
    VCardCustomer read;
    read.Number = number;
    std::vector<Property> properties;
    VF_PROP_T* prop = nullptr;
    if (vf_get_property(&prop, card, VFGP_FIND, nullptr, VFP_ANY, static_cast<const char*>(nullptr))) {
        do
            properties.push_back(ReadProperty(prop));
        while (vf_get_next_property(&prop));
    }
    bool listsInComponents = false;
    for (const Property& property : properties)
        if (property.Name == "version")
            listsInComponents = WholeValue(property) != "2.1";
    std::string fullName, name, organisation;
    bool addressRead = false, addressPreferred = false, emailPreferred = false;
    for (const Property& property : properties) {
        if (property.Name == "fn" && fullName.empty()) {
            fullName = Trimmed(Unescaped(WholeValue(property)));
        } else if (property.Name == "n" && name.empty()) {
            name = NameOf(property);
        } else if (property.Name == "org" && organisation.empty()) {
            organisation = Component(Components(property), 0);
        } else if (property.Name == "adr" && (!addressRead || (property.Preferred && !addressPreferred))) {
            ReadAddress(property, listsInComponents, read.Customer);
            addressRead = true;
            addressPreferred = property.Preferred;
        } else if (property.Name == "tel") {
            const PhoneRecord phone = PhoneOf(property);
            if (!phone.Number.empty())
                read.Contacts.Phones.push_back(phone);
        } else if (property.Name == "email" &&
                   (read.Contacts.Email.empty() || (property.Preferred && !emailPreferred))) {
            const std::string email = Trimmed(Unescaped(WholeValue(property)));
            if (!email.empty()) {
                read.Contacts.Email = email;
                emailPreferred = property.Preferred;
            }
        }
    }
    read.Customer.Name = !fullName.empty() ? fullName : !name.empty() ? name : organisation;
    return read;
}

bool Failure(std::string& error, const std::string& reason)
{
    error = reason;
    OutputDebugString("VCardSource: " + reason);
    return false;
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\\' || c == ',' || c == ';')
            out += std::string("\\") + c;
        else if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
            continue;
        else if (c == '\r' || c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// Lines of at most 75 octets, each further one starting with a space, cut
// between characters.
std::string Folded(const std::string& line)
{
    std::string out;
    size_t at = 0;
    size_t room = 75;
    while (line.size() - at > room) {
        size_t cut = at + room;
        while (cut > at && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out += line.substr(at, cut - at) + "\r\n ";
        at = cut;
        room = 74;
    }
    return out + line.substr(at) + "\r\n";
}

}  // namespace

bool ReadVCardText(const std::string& text, std::vector<VCardCustomer>& cards, std::string& error)
{
    cards.clear();
    error.clear();
    if (text.size() >= INT_MAX / 2)
        return Failure(error, "The vCard file is too large to read.");
    PreparedText prepared = Prepare(text);
    if (prepared.Cards == 0)
        return Failure(error, "The file holds no vCard.");
    if (prepared.Unended)
        return Failure(error, "The last vCard in the file has no END:VCARD line; the file may be cut short.");
    // The library keeps its search of properties in one place of its own.
    static std::mutex oneAtATime;
    const std::lock_guard<std::mutex> lock(oneAtATime);
    VF_OBJECT_T* first = nullptr;
    VF_PARSER_T* parser = nullptr;
    if (!vf_parse_init(&parser, &first))
        return Failure(error, "There is not enough memory to read the vCard file.");
    const bool parsed = vf_parse_text(parser, &prepared.Text[0], static_cast<int>(prepared.Text.size()));
    const bool ended = vf_parse_end(parser);
    bool ok = parsed && ended;
    for (VF_OBJECT_T* card = first; ok && card;) {
        if (Lower(vf_get_object_type(card)) == "vcard")
            cards.push_back(ReadCard(card, cards.size() + 1));
        if (!vf_get_next_object(&card))
            break;
    }
    if (first)
        vf_delete_object(first, TRUE);
    if (!ok)
        return Failure(error, "The vCard file cannot be read: it is not written as vCard has it.");
    if (cards.size() != prepared.Cards)
        return Failure(error,
                       "Of the " + std::to_string(prepared.Cards) + " vCards in the file, only " +
                           std::to_string(cards.size()) + " could be read.");
    return true;
}

bool ReadVCardFile(const std::string& path, std::vector<VCardCustomer>& cards, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Failure(error, "The file " + path + " cannot be opened: " + std::strerror(errno) + ".");
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad())
        return Failure(error, "The file " + path + " cannot be read.");
    return ReadVCardText(text.str(), cards, error);
}

std::string WriteVCard(const CustomerRecord& customer, const ContactsRecord& contacts)
{
    std::string card = "BEGIN:VCARD\r\nVERSION:4.0\r\n";
    card += Folded("FN:" + Escaped(customer.Name));
    if (!customer.Address.empty() || !customer.City.empty() || !customer.State.empty() || !customer.Zip.empty())
        card += Folded("ADR:;;" + Escaped(customer.Address) + ";" + Escaped(customer.City) + ";" +
                       Escaped(customer.State) + ";" + Escaped(customer.Zip) + ";");
    for (const PhoneRecord& phone : contacts.Phones) {
        const std::string type = phone.Kind == "home" ? "home" : phone.Kind == "work" ? "work" : "cell";
        card += Folded("TEL;VALUE=text;TYPE=" + type + ":" + Escaped(phone.Number));
    }
    if (!contacts.Email.empty())
        card += Folded("EMAIL:" + Escaped(contacts.Email));
    return card + "END:VCARD\r\n";
}

}  // namespace DBFrameWork
