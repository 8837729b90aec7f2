// The work order of one ticket as a printable document: the business at the
// top, then the ticket, the customer, the device, problem, resolution, hours,
// the job's history and a line for the customer's signature.
#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

#include "dbframework/DBFrameWork_TicketRecord.h"

class QPaintDevice;
class QTextDocument;

struct WorkOrderFields {
    // The business, from the settings.
    QString companyName;
    QString companyAddress;
    QStringList phones;
    QStringList faxes;
    QString webSite;
    // The ticket as the window shows it, with the job's history.
    DBFrameWork::TicketRecord ticket;
    // The job's state as shown (a ticket may have none stored).
    QString state;
};

// The document's HTML (every field escaped).
QString WorkOrderHtml(const WorkOrderFields& fields);
// Fills document with the work order laid out for device (the printer) on
// pages of pageSize (the device's pixels), in a font small enough for one
// page where that can be read.
void BuildWorkOrder(const WorkOrderFields& fields, QPaintDevice* device, const QSizeF& pageSize,
                    QTextDocument& document);
