#include "settings/Quenbrook_Configuration.h"

// Values are kept as the bytes of the file: no character set conversion.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION  // the template bodies are compiled here, not taken from a shared library
#include <SimpleIni.h>

#include "settings/Quenbrook_FileReplace.h"
#include "settings/Quenbrook_TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quenbrook {

namespace {

const char* const GeneralSection = "General";
const char* const TechniciansSection = "Technicians";
const char* const OperatingSystemsSection = "Operating Systems";
const char* const JobStatesSection = "Job States";
const char* const CounterSection = "Counter";
const char* const MailServerSection = "Mail Server";
const char* const NoticesSection = "Notices";
const char* const NoticeBodyPrefix = "Body ";

const char* const DefaultCompanyName = "Your Company Name";
const char* const DefaultAddress = "123 Example St, City, St ZIP";
const char* const DefaultDataFile = "./Data/Solutions.fdb";
const char* const BackupOnExitKey = "Backup On Exit";
const char* const BackupCopiesKey = "Backup Copies";
const char* const SearchLanguageKey = "Search Language";
const char* const DefaultSearchLanguage = "english";
const int32_t DefaultBackupCopies = 10;
const int32_t MaxBackupCopies = 999;

// Values are read back into a buffer of 2048 bytes, terminator included.
const size_t MaxValueLength = 2047;
// A settings file is a few hundred bytes; anything past this is not one of ours.
const size_t MaxFileSize = 16 * 1024 * 1024;

enum class ReadResult { Missing, Read, Failed };

// Reads the whole file; a path that leads nowhere counts as a missing file.
ReadResult ReadSettingsFile(const std::string& path, std::string& content)
{
    content.clear();
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
    char buffer[65536];
    ReadResult result = ReadResult::Read;
    while (content.size() < MaxFileSize) {
        const ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            result = ReadResult::Failed;
            break;
        }
        if (count == 0)
            break;
        content.append(buffer, static_cast<size_t>(count));
    }
    close(descriptor);
    return result;
}

const char* const ByteOrderMark = "\xEF\xBB\xBF";

// How the file on disk is written, so that it is written back the same way and
// the older Windows program keeps reading it.
struct FileForm {
    TextEncoding encoding = TextEncoding::Utf8;
    bool byteOrderMark = false;
};

// Junk bytes must not end the parse early: the INI reader stops at a NUL.
// A UTF-8 byte order mark from a Windows editor is dropped; a file that is not
// UTF-8 was written in the Windows code page. Values are kept as UTF-8.
std::string PrepareForParsing(std::string content, FileForm& form)
{
    form.byteOrderMark = content.compare(0, 3, ByteOrderMark) == 0;
    if (form.byteOrderMark)
        content.erase(0, 3);
    for (char& c : content)
        if (c == '\0')
            c = ' ';
    form.encoding = form.byteOrderMark || IsValidUtf8(content) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    return form.encoding == TextEncoding::Utf8 ? content : Windows1252ToUtf8(content);
}

// The text of the file in its own form. A character that the Windows code page
// lacks is not dropped: the file is then written as UTF-8.
std::string InFileForm(const std::string& text, const FileForm& form)
{
    std::string converted;
    if (form.encoding == TextEncoding::Windows1252 && Utf8ToWindows1252(text, converted))
        return converted;
    return form.byteOrderMark ? ByteOrderMark + text : text;
}

// Cuts a value to the length the file format allows, without splitting a
// UTF-8 sequence at the cut.
std::string CutValue(const std::string& value)
{
    if (value.size() <= MaxValueLength)
        return value;
    size_t end = MaxValueLength;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
        --end;
    return value.substr(0, end);
}

// One value per line: a line break inside a value would start a new line.
std::string OneLine(const std::string& value)
{
    std::string line = value;
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    return line;
}

void ConfigureIni(CSimpleIniA& ini)
{
    ini.SetUnicode(false);
    ini.SetMultiKey(true);  // duplicate keys: the first one counts, as on Windows
    ini.SetMultiLine(false);
    ini.SetQuotes(false);
    ini.SetSpaces(false);
}

std::string ReadValue(const CSimpleIniA& ini, const char* section, const std::string& key, const char* defaultValue)
{
    const char* value = ini.GetValue(section, key.c_str(), defaultValue);
    return CutValue(value ? value : "");
}

bool WriteValue(CSimpleIniA& ini, const char* section, const std::string& key, const std::string& value)
{
    return ini.SetValue(section, key.c_str(), OneLine(value).c_str(), nullptr, true) >= 0;
}

// The number in a key made of the prefix and a decimal number without
// leading zeros; 0 for any other key.
long NumberInKey(const char* key, const std::string& prefix)
{
    const std::string text = key;
    if (text.size() <= prefix.size() || strncasecmp(text.c_str(), prefix.c_str(), prefix.size()) != 0)
        return 0;
    const std::string digits = text.substr(prefix.size());
    if (digits[0] == '0' || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::strtol(digits.c_str(), nullptr, 10);
}

// Removes the numbered keys past the last one just written.
void RemoveKeysBeyond(CSimpleIniA& ini, const char* section, const std::string& prefix, long lastWritten)
{
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys(section, keys);
    std::vector<std::string> stale;
    for (const auto& key : keys)
        if (NumberInKey(key.pItem, prefix) > lastWritten)
            stale.emplace_back(key.pItem);
    for (const auto& key : stale)
        ini.Delete(section, key.c_str(), true);
}

// A text of several lines in one value: line breaks as "\n", backslashes doubled.
std::string EscapeLines(const std::string& text)
{
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
            continue;
        else if (c == '\n' || c == '\r')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string UnescapeLines(const std::string& text)
{
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\\' && at + 1 < text.size()) {
            ++at;
            out += text[at] == 'n' ? '\n' : text[at];
        } else {
            out += text[at];
        }
    }
    return out;
}

// A state's name as part of a key: "=" cannot stand in one.
std::string KeyPart(const std::string& name)
{
    std::string key = name;
    std::replace(key.begin(), key.end(), '=', '-');
    return key;
}

double MillimetresOr(const std::string& text, double fallback)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value >= 10.0 && value <= 300.0 ? value : fallback;
}

std::string Millimetres(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

void ReadCounter(const CSimpleIniA& ini, CounterSettings& counter)
{
    counter.JobStates.clear();
    for (int32_t n = 1;; ++n) {
        const std::string state = ReadValue(ini, JobStatesSection, std::to_string(n), "");
        if (state.empty())
            break;
        counter.JobStates.push_back(state);
    }
    if (counter.JobStates.empty())
        counter.JobStates = DefaultJobStates();
    counter.IntakeTerms = UnescapeLines(ReadValue(ini, CounterSection, "Intake Terms", ""));
    counter.LabelWidthMm = MillimetresOr(ReadValue(ini, CounterSection, "Label Width", ""), 62.0);
    counter.LabelHeightMm = MillimetresOr(ReadValue(ini, CounterSection, "Label Height", ""), 29.0);
    MailServerSettings& mail = counter.Mail;
    mail.Host = ReadValue(ini, MailServerSection, "Host", "");
    const long port = std::strtol(ReadValue(ini, MailServerSection, "Port", "587").c_str(), nullptr, 10);
    mail.Port = port > 0 && port < 65536 ? static_cast<int>(port) : 587;
    mail.ImplicitTls = ReadValue(ini, MailServerSection, "Security", "STARTTLS") == "TLS";
    mail.User = ReadValue(ini, MailServerSection, "User", "");
    mail.From = ReadValue(ini, MailServerSection, "From", "");
    counter.NoticeSubject = ReadValue(ini, NoticesSection, "Subject", "");
    counter.NoticeBodies.clear();
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys(NoticesSection, keys);
    const std::string prefix = NoticeBodyPrefix;
    for (const auto& key : keys) {
        const std::string name = key.pItem;
        if (name.compare(0, prefix.size(), prefix) == 0)
            counter.NoticeBodies[name.substr(prefix.size())] = UnescapeLines(ReadValue(ini, NoticesSection, name, ""));
    }
}

bool WriteCounter(CSimpleIniA& ini, const CounterSettings& counter)
{
    bool ok = true;
    long states = 0;
    // The default list is not written: a file without the section follows the program's.
    if (counter.JobStates != DefaultJobStates()) {
        for (const std::string& state : counter.JobStates)
            ok = ok && WriteValue(ini, JobStatesSection, std::to_string(++states), state);
    }
    RemoveKeysBeyond(ini, JobStatesSection, "", states);
    const auto writeOrDelete = [&](const char* section, const char* key, const std::string& value) {
        if (value.empty())
            ini.Delete(section, key, true);
        else
            ok = ok && WriteValue(ini, section, key, value);
    };
    writeOrDelete(CounterSection, "Intake Terms", EscapeLines(counter.IntakeTerms));
    writeOrDelete(CounterSection, "Label Width", counter.LabelWidthMm == 62.0 ? "" : Millimetres(counter.LabelWidthMm));
    writeOrDelete(CounterSection, "Label Height",
                  counter.LabelHeightMm == 29.0 ? "" : Millimetres(counter.LabelHeightMm));
    const MailServerSettings& mail = counter.Mail;
    writeOrDelete(MailServerSection, "Host", mail.Host);
    writeOrDelete(MailServerSection, "Port", mail.Host.empty() ? "" : std::to_string(mail.Port));
    writeOrDelete(MailServerSection, "Security", mail.Host.empty() ? "" : (mail.ImplicitTls ? "TLS" : "STARTTLS"));
    writeOrDelete(MailServerSection, "User", mail.User);
    writeOrDelete(MailServerSection, "From", mail.From);
    writeOrDelete(NoticesSection, "Subject", counter.NoticeSubject);
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys(NoticesSection, keys);
    std::vector<std::string> stale;
    for (const auto& key : keys)
        if (std::string(key.pItem).compare(0, std::strlen(NoticeBodyPrefix), NoticeBodyPrefix) == 0)
            stale.emplace_back(key.pItem);
    for (const std::string& key : stale)
        ini.Delete(NoticesSection, key.c_str(), true);
    for (const auto& [state, body] : counter.NoticeBodies)
        if (!body.empty())
            ok = ok && WriteValue(ini, NoticesSection, NoticeBodyPrefix + KeyPart(state), EscapeLines(body));
    return ok;
}

// Reads the settings file into ini; a missing file reads as empty.
bool OpenSettings(const std::string& fileName, CSimpleIniA& ini, FileForm& form)
{
    ConfigureIni(ini);
    std::string content;
    switch (ReadSettingsFile(fileName, content)) {
    case ReadResult::Failed:
        return false;
    case ReadResult::Missing:
        return true;
    case ReadResult::Read:
        break;
    }
    return ini.LoadData(PrepareForParsing(content, form)) >= 0;
}

}  // namespace

Configuration::Configuration() : FileName("Quenbrook.ini"), DataFile(DefaultDataFile)
{
    Counter.JobStates = DefaultJobStates();
}

const std::vector<std::string>& DefaultJobStates()
{
    static const std::vector<std::string> states = {
        "Checked in", "Diagnosing",       "Waiting for parts", "Waiting for customer",
        "In repair",  "Ready for pickup", "Picked up"};
    return states;
}

void Configuration::SetCounter(const CounterSettings& counter)
{
    Counter = counter;
    if (Counter.JobStates.empty())
        Counter.JobStates = DefaultJobStates();
}

bool Configuration::Load(const std::string& fileName)
{
    try {
        if (!fileName.empty())
            FileName = fileName;

        CSimpleIniA ini;
        FileForm form;
        if (!OpenSettings(FileName, ini, form))
            return false;

        const std::string companyName = ReadValue(ini, GeneralSection, "Company Name", DefaultCompanyName);
        if (!companyName.empty())
            CompanyName = companyName;
        const std::string address = ReadValue(ini, GeneralSection, "Address", DefaultAddress);
        if (!address.empty())
            Address = address;
        const std::string dataFile = ReadValue(ini, GeneralSection, "Data File", DefaultDataFile);
        if (!dataFile.empty())
            DataFile = dataFile;

        for (const std::string kind : {"Phone", "Fax"}) {
            for (int32_t n = 1;; ++n) {
                const std::string key = kind + std::to_string(n);
                const std::string number = ReadValue(ini, GeneralSection, key, "");
                if (number.empty())
                    break;
                AddNumber(key, number);
            }
        }

        WebSite = ReadValue(ini, GeneralSection, "WebSite", "");
        DataFileUser = ReadValue(ini, GeneralSection, "Data File User", "");
        DataFilePassword = ReadValue(ini, GeneralSection, "Data File Password", "");

        // Files written before these keys existed get the defaults; a value
        // that is not a number keeps them too.
        const std::string onExit = ReadValue(ini, GeneralSection, BackupOnExitKey, "1");
        BackupOnExit = onExit != "0";
        SearchLanguage = ReadValue(ini, GeneralSection, SearchLanguageKey, DefaultSearchLanguage);
        if (SearchLanguage.empty())
            SearchLanguage = DefaultSearchLanguage;
        const std::string copies = ReadValue(ini, GeneralSection, BackupCopiesKey, "");
        char* end = nullptr;
        const long number = std::strtol(copies.c_str(), &end, 10);
        const bool isNumber = !copies.empty() && *end == '\0';
        SetBackupCopies(isNumber ? static_cast<int32_t>(std::clamp<long>(number, 1, MaxBackupCopies))
                                 : DefaultBackupCopies);

        for (int32_t n = 1;; ++n) {
            const std::string name = ReadValue(ini, TechniciansSection, std::to_string(n), "");
            if (name.empty())
                break;
            SetTechnician(n, name);
        }
        for (int32_t n = 1;; ++n) {
            const std::string name = ReadValue(ini, OperatingSystemsSection, std::to_string(n), "");
            if (name.empty())
                break;
            SetOperatingSystem(n, name);
        }
        ReadCounter(ini, Counter);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool Configuration::Save()
{
    try {
        if (FileName.empty())
            return true;

        // Keys and sections of the file that this class does not know stay as they are.
        CSimpleIniA ini;
        FileForm form;
        if (!OpenSettings(FileName, ini, form))
            return false;

        bool ok = true;
        if (!CompanyName.empty())
            ok = ok && WriteValue(ini, GeneralSection, "Company Name", CompanyName);
        if (!Address.empty())
            ok = ok && WriteValue(ini, GeneralSection, "Address", Address);
        if (!DataFile.empty())
            ok = ok && WriteValue(ini, GeneralSection, "Data File", DataFile);

        for (const std::string kind : {"Phone", "Fax"}) {
            long written = 0;
            for (int32_t n = 1; ok; ++n) {
                const std::string key = kind + std::to_string(n);
                const std::string number = GetNumber(key);
                if (number.empty())
                    break;
                ok = WriteValue(ini, GeneralSection, key, number);
                written = n;
            }
            RemoveKeysBeyond(ini, GeneralSection, kind, written);
        }

        if (!WebSite.empty())
            ok = ok && WriteValue(ini, GeneralSection, "WebSite", WebSite);
        // A cleared login leaves no key behind; files without one are as before.
        for (const auto& [key, value] : {std::make_pair("Data File User", &DataFileUser),
                                         std::make_pair("Data File Password", &DataFilePassword)}) {
            if (value->empty())
                ini.Delete(GeneralSection, key, true);
            else
                ok = ok && WriteValue(ini, GeneralSection, key, *value);
        }
        ok = ok && WriteValue(ini, GeneralSection, BackupOnExitKey, BackupOnExit ? "1" : "0");
        ok = ok && WriteValue(ini, GeneralSection, BackupCopiesKey, std::to_string(BackupCopies));
        ok = ok && WriteValue(ini, GeneralSection, SearchLanguageKey, SearchLanguage);

        long technicians = 0;
        for (int32_t n = 1; ok; ++n) {
            const std::string name = GetTechnician(n);
            if (name.empty())
                break;
            ok = WriteValue(ini, TechniciansSection, std::to_string(n), name);
            technicians = n;
        }
        RemoveKeysBeyond(ini, TechniciansSection, "", technicians);

        long operatingSystems = 0;
        for (int32_t n = 1; ok; ++n) {
            const std::string name = GetOperatingSystem(n);
            if (name.empty())
                break;
            ok = WriteValue(ini, OperatingSystemsSection, std::to_string(n), name);
            operatingSystems = n;
        }
        RemoveKeysBeyond(ini, OperatingSystemsSection, "", operatingSystems);
        ok = ok && WriteCounter(ini, Counter);

        if (!ok)
            return false;
        std::string output;
        if (ini.Save(output, false) < 0)
            return false;
        return ReplaceFile(FileName, InFileForm(output, form));
    } catch (const std::exception&) {
        return false;
    }
}

// clang-format off
std::string Configuration::GetCompanyName() const { return CompanyName; }
void Configuration::SetCompanyName(const std::string& name) { CompanyName = name; }
std::string Configuration::GetAddress() const { return Address; }
void Configuration::SetAddress(const std::string& address) { Address = address; }
std::string Configuration::GetWebSite() const { return WebSite; }
void Configuration::SetWebSite(const std::string& webSite) { WebSite = webSite; }
std::string Configuration::GetDataFile() const { return DataFile; }
void Configuration::SetDataFile(const std::string& dataFile) { DataFile = dataFile; }
std::string Configuration::GetFileName() const { return FileName; }
std::string Configuration::GetDataFileUser() const { return DataFileUser; }
void Configuration::SetDataFileUser(const std::string& user) { DataFileUser = user; }
std::string Configuration::GetDataFilePassword() const { return DataFilePassword; }
void Configuration::SetDataFilePassword(const std::string& password) { DataFilePassword = password; }
bool Configuration::GetBackupOnExit() const { return BackupOnExit; }
void Configuration::SetBackupOnExit(bool backupOnExit) { BackupOnExit = backupOnExit; }
int32_t Configuration::GetBackupCopies() const { return BackupCopies; }
std::string Configuration::GetSearchLanguage() const { return SearchLanguage; }
void Configuration::SetSearchLanguage(const std::string& language)
{
    SearchLanguage = language.empty() ? DefaultSearchLanguage : language;
}
void Configuration::SetBackupCopies(int32_t copies) { BackupCopies = std::clamp(copies, 1, MaxBackupCopies); }

std::string Configuration::GetNumber(const std::string& key) const
{
    // Matched on the whole key and its "=", so that a number containing the
    // text of another key (Fax1 inside a phone entry) is never taken for it.
    const std::string prefix = key + "=";
    for (const auto& entry : Numbers)
        if (entry.compare(0, prefix.size(), prefix) == 0)
            return entry.substr(prefix.size());
    return {};
}

void Configuration::AddNumber(const std::string& key, const std::string& number)
{
    Numbers.push_back(key + "=" + number);
}

void Configuration::ClearNumbers() { Numbers.clear(); }

namespace {

std::string ItemAt(const std::vector<std::string>& list, int32_t position)
{
    if (position < 1 || static_cast<size_t>(position) > list.size())
        return {};
    return list[static_cast<size_t>(position) - 1];
}

void PutItemAt(std::vector<std::string>& list, int32_t position, const std::string& name)
{
    if (position >= 1 && static_cast<size_t>(position) <= list.size())
        list[static_cast<size_t>(position) - 1] = name;
    else
        list.push_back(name);
}

}  // namespace

std::string Configuration::GetTechnician(int32_t position) const { return ItemAt(Technicians, position); }
void Configuration::SetTechnician(int32_t position, const std::string& name) { PutItemAt(Technicians, position, name); }
void Configuration::ClearTechnicians() { Technicians.clear(); }

std::string Configuration::GetOperatingSystem(int32_t position) const
{
    return ItemAt(OperatingSystems, position);
}
void Configuration::SetOperatingSystem(int32_t position, const std::string& name)
{
    PutItemAt(OperatingSystems, position, name);
}
void Configuration::ClearOperatingSystems() { OperatingSystems.clear(); }

// clang-format on

}  // namespace Quenbrook
