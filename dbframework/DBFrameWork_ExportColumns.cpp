#include "dbframework/DBFrameWork_ExportColumns.h"

namespace DBFrameWork {
namespace {

using F = ExportFormat;

bool IsContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Room for "<FileID>-" in front within the 255 bytes most file systems allow.
constexpr size_t SafeNameBytes = 200;

std::string ReportOf(const ExportValue& value)
{
    const std::string problemId = value("ReportFile");
    return problemId.empty() ? std::string() : ReportPath(std::stoi(problemId));
}

std::string FileOf(const ExportValue& value)
{
    return TicketFilePath(std::stoi(value("ProblemID")), std::stoi(value("FileID")), value("FileName"));
}

}  // namespace

const std::vector<ExportFile>& ExportFiles()
{
    static const std::vector<ExportFile> files = {
        {"customers.csv",
         "The customers, one per line.",
         "Customer",
         "Customer c",
         {},
         "c.CustomerID",
         "CustomerID",
         {
             {"CustomerID", "c.CustomerID", "Customer", F::Key, "The customer's key."},
             {"Name", "c.Name", "Customer", F::Text, "The customer's name."},
             {"Address", "c.Address", "Customer", F::Text, "The street address; its lines are separated by CR LF."},
             {"City", "c.City", "Customer", F::Text, "City."},
             {"State", "c.State", "Customer", F::Text, "State or region."},
             {"Zip", "c.Zip", "Customer", F::Text, "Postal code."},
         }},
        {"contacts.csv",
         "How each customer is reached: phone numbers and the e-mail address, one per line.",
         "CustomerContact",
         "CustomerContact k",
         {},
         "k.ContactID",
         "ContactID",
         {
             {"ContactID", "k.ContactID", "CustomerContact", F::Key, "The contact's key."},
             {"CustomerID", "k.CustomerID", "CustomerContact", F::Key, "The customer reached this way.",
              "customers.csv CustomerID"},
             {"Kind", "k.Kind", "CustomerContact", F::Text, "\"mobile\", \"home\" or \"work\" for a phone, \"email\"."},
             {"Contact", "k.Contact", "CustomerContact", F::Text, "The phone number as typed, or the e-mail address."},
         }},
        {"devices.csv",
         "The customers' devices, one per line; a device stays with its customer across tickets.",
         "Device",
         "Device d",
         {},
         "d.DeviceID",
         "DeviceID",
         {
             {"DeviceID", "d.DeviceID", "Device", F::Key, "The device's key."},
             {"CustomerID", "d.CustomerID", "Device", F::Key, "The customer the device belongs to.",
              "customers.csv CustomerID"},
             {"Kind", "d.Kind", "Device", F::Text, "What kind of device (laptop, phone, ...)."},
             {"MakeModel", "d.MakeModel", "Device", F::Text, "Make and model."},
             {"Serial", "d.Serial", "Device", F::Text, "Serial number or IMEI."},
         }},
        {"tickets.csv",
         "The tickets, one per line: the problem, its operating system, and the job kept at the counter.",
         "Problem",
         "Problem p",
         {{"SystemInfo", "LEFT JOIN SystemInfo s ON s.ProblemID = p.ProblemID"},
          {"Job", "LEFT JOIN Job j ON j.ProblemID = p.ProblemID"}},
         "p.ProblemID",
         "ProblemID",
         {
             {"ProblemID", "p.ProblemID", "Problem", F::Key, "The ticket's key (its number)."},
             {"CustomerID", "p.CustomerID", "Problem", F::Key, "The ticket's customer.", "customers.csv CustomerID"},
             {"Technician", "p.Technician", "Problem", F::Text, "The technician the ticket is assigned to."},
             {"Assigned", "p.Assigned", "Problem", F::Date, "The day the ticket was assigned."},
             {"Completed", "p.Completed", "Problem", F::Date, "The day the ticket was completed; empty while open."},
             {"BillableHours", "p.BillableHours", "Problem", F::Integer, "Hours billed."},
             {"ActualHours", "p.ActualHours", "Problem", F::Integer, "Hours worked."},
             {"Description", "p.Description", "Problem", F::LongText, "The problem as described."},
             {"Resolution", "p.Resolution", "Problem", F::LongText, "How it was resolved."},
             {"Comment", "p.Comment", "Problem", F::LongText, "Comments."},
             {"OperatingSystem", "s.OperatingSystem", "SystemInfo", F::Text, "The operating system of the computer."},
             {"ReportFile", "IIF(s.Description IS NULL, NULL, p.ProblemID)", "SystemInfo", F::Path,
              "The imported system-information report (HTML), as stored; empty when there is none.", "", ReportOf},
             {"State", "j.State", "Job", F::Text,
              "The job's state, normally one of states.csv (a state since taken off the list stays); empty when "
              "none was chosen (the completed date then tells).",
              "states.csv State"},
             {"PromisedBy", "j.PromisedBy", "Job", F::Date, "The day the job was promised for; empty for none."},
             {"DeviceID", "j.DeviceID", "Job", F::Key, "The device the ticket is about; empty for none.",
              "devices.csv DeviceID"},
             {"Accessories", "j.Accessories", "Job", F::Text, "What came in with the device."},
             {"ArrivalCondition", "j.ArrivalCondition", "Job", F::LongText, "The device's condition on arrival."},
             {"TermsAgreed", "j.TermsAgreed", "Job", F::Flag,
              "1 when the customer agreed to the terms; 0 or empty when not."},
         }},
        {"history.csv",
         "The history of each job, one event per line: changes of state and notices to the customer.",
         "JobEvent",
         "JobEvent e",
         {},
         "e.EventID",
         "EventID",
         {
             {"EventID", "e.EventID", "JobEvent", F::Key, "The event's key; later events have larger keys."},
             {"ProblemID", "e.ProblemID", "JobEvent", F::Key, "The ticket.", "tickets.csv ProblemID"},
             {"EventTime", "e.EventTime", "JobEvent", F::Timestamp, "When it happened (the data file's clock)."},
             {"UserName", "e.UserName", "JobEvent", F::Text, "Who made the change."},
             {"Kind", "e.Kind", "JobEvent", F::Text, "\"state\" for a change of state, \"notice\" for a notice."},
             {"Detail", "e.Detail", "JobEvent", F::Text, "The state entered, or how the customer was told."},
         }},
        {"files.csv",
         "The photos and files kept with the tickets, one per line; their bytes are in the files folder.",
         "TicketFile",
         "TicketFile f",
         {},
         "f.FileID",
         "FileID",
         {
             {"FileID", "f.FileID", "TicketFile", F::Key, "The file's key."},
             {"ProblemID", "f.ProblemID", "TicketFile", F::Key, "The ticket the file belongs to.",
              "tickets.csv ProblemID"},
             {"FileName", "f.FileName", "TicketFile", F::Text, "The file's name as stored."},
             {"MediaType", "f.MediaType", "TicketFile", F::Text, "The media type (image/jpeg, application/pdf, ...)."},
             {"ByteSize", "f.ByteSize", "TicketFile", F::Integer, "The file's size in bytes."},
             {"AddedAt", "f.AddedAt", "TicketFile", F::Timestamp, "When the file was added (the data file's clock)."},
             {"UserName", "f.UserName", "TicketFile", F::Text, "Who added it."},
             {"Path", "", "TicketFile", F::Path,
              "The file's bytes, exactly as stored: files/<ProblemID>/<FileID>-<name>, the name made safe for any "
              "file system.",
              "", FileOf},
         }},
    };
    return files;
}

const ExportFile& StatesFile()
{
    static const ExportFile file{"states.csv",
                                 "The shop's job states in their order; the last one means the job is done.",
                                 "",
                                 "",
                                 {},
                                 "",
                                 "State",
                                 {
                                     {"Order", "", "", F::Integer, "The state's place in the list, from 1."},
                                     {"State", "", "", F::Text, "The state's name, as tickets.csv State holds it."},
                                 }};
    return file;
}

std::string ReportPath(int32_t problemId)
{
    return "reports/" + std::to_string(problemId) + ".html";
}

std::string TicketFilePath(int32_t problemId, int32_t fileId, const std::string& storedName)
{
    return "files/" + std::to_string(problemId) + "/" + std::to_string(fileId) + "-" + SafeFileName(storedName);
}

std::string SafeFileName(const std::string& name)
{
    std::string safe;
    for (const char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || std::string("/\\:*?\"<>|").find(c) != std::string::npos)
            safe += '_';
        else
            safe += c;
    }
    if (safe.size() > SafeNameBytes) {
        size_t cut = SafeNameBytes;
        while (cut > 0 && IsContinuationByte(safe[cut]))
            --cut;
        safe.resize(cut);
    }
    // Windows drops a name's trailing dots and spaces.
    while (!safe.empty() && (safe.back() == '.' || safe.back() == ' '))
        safe.pop_back();
    return safe.empty() ? "file" : safe;
}

const char* FormatDescription(ExportFormat format)
{
    switch (format) {
    case F::Key:
        return "key, a whole number";
    case F::Integer:
        return "whole number; empty for none";
    case F::Flag:
        return "1 or 0";
    case F::Text:
        return "text";
    case F::LongText:
        return "text of any length, line breaks kept (CR LF inside a quoted field)";
    case F::Date:
        return "date, yyyy-mm-dd";
    case F::Timestamp:
        return "date and time, yyyy-mm-dd hh:mm:ss";
    case F::Path:
        return "path inside the export, folders separated by /";
    }
    return "";
}

}  // namespace DBFrameWork
