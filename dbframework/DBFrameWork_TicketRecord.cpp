#include "dbframework/DBFrameWork_TicketRecord.h"

#include "dbframework/DBFrameWork_DBObjectBase.h"

namespace DBFrameWork {
namespace {

int32_t Number(const std::string& text)
{
    return text.empty() ? 0 : ToInt(text);
}

}  // namespace

StringList ValuesOf(const CustomerRecord& customer)
{
    StringList values(CustomerColumn::Count);
    values[CustomerColumn::CustomerID] = std::to_string(customer.CustomerID);
    values[CustomerColumn::Name] = customer.Name;
    values[CustomerColumn::Address] = customer.Address;
    values[CustomerColumn::City] = customer.City;
    values[CustomerColumn::State] = customer.State;
    values[CustomerColumn::Zip] = customer.Zip;
    return values;
}

StringList ValuesOf(const ProblemRecord& problem)
{
    StringList values(ProblemColumn::Count);
    values[ProblemColumn::ProblemID] = std::to_string(problem.ProblemID);
    values[ProblemColumn::Technician] = problem.Technician;
    values[ProblemColumn::Assigned] = ValueTextOf(problem.Assigned);
    values[ProblemColumn::Completed] = ValueTextOf(problem.Completed);
    values[ProblemColumn::BillableHours] = std::to_string(problem.BillableHours);
    values[ProblemColumn::ActualHours] = std::to_string(problem.ActualHours);
    values[ProblemColumn::Description] = problem.Description;
    values[ProblemColumn::Resolution] = problem.Resolution;
    values[ProblemColumn::Comment] = problem.Comment;
    values[ProblemColumn::CustomerID] = std::to_string(problem.CustomerID);
    return values;
}

StringList ValuesOf(const SystemInfoRecord& systemInfo)
{
    StringList values(SystemInfoColumn::Count);
    values[SystemInfoColumn::ProblemID] = std::to_string(systemInfo.ProblemID);
    values[SystemInfoColumn::OperatingSystem] = systemInfo.OperatingSystem;
    values[SystemInfoColumn::Description] = systemInfo.Report;
    return values;
}

bool ReadValues(const StringList& values, CustomerRecord& customer)
{
    if (values.size() != CustomerColumn::Count)
        return false;
    customer.CustomerID = Number(values[CustomerColumn::CustomerID]);
    customer.Name = values[CustomerColumn::Name];
    customer.Address = values[CustomerColumn::Address];
    customer.City = values[CustomerColumn::City];
    customer.State = values[CustomerColumn::State];
    customer.Zip = values[CustomerColumn::Zip];
    return true;
}

bool ReadValues(const StringList& values, ProblemRecord& problem)
{
    if (values.size() != ProblemColumn::Count)
        return false;
    problem.ProblemID = Number(values[ProblemColumn::ProblemID]);
    problem.Technician = values[ProblemColumn::Technician];
    problem.Assigned = DateFromValueText(values[ProblemColumn::Assigned]);
    problem.Completed = DateFromValueText(values[ProblemColumn::Completed]);
    problem.BillableHours = Number(values[ProblemColumn::BillableHours]);
    problem.ActualHours = Number(values[ProblemColumn::ActualHours]);
    problem.Description = values[ProblemColumn::Description];
    problem.Resolution = values[ProblemColumn::Resolution];
    problem.Comment = values[ProblemColumn::Comment];
    problem.CustomerID = Number(values[ProblemColumn::CustomerID]);
    return true;
}

bool ReadValues(const StringList& values, SystemInfoRecord& systemInfo)
{
    if (values.size() != SystemInfoColumn::Count)
        return false;
    systemInfo.ProblemID = Number(values[SystemInfoColumn::ProblemID]);
    systemInfo.OperatingSystem = values[SystemInfoColumn::OperatingSystem];
    systemInfo.Report = values[SystemInfoColumn::Description];
    return true;
}

}  // namespace DBFrameWork
