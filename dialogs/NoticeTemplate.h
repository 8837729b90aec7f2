// Customer messages filled from a template chosen by the job's state.
#pragma once

#include <QString>

struct NoticeFields {
    QString customerName;
    QString ticketNumber;
    QString device;
    QString state;
    QString promisedBy;
    QString hours;
    QString businessName;
    QString businessPhone;
};

// Replaces {customer}, {ticket}, {device}, {state}, {promised}, {hours},
// {business} and {business phone} in one pass: a value is never expanded
// again, and an unknown {...} stays as typed.
QString FillNotice(const QString& text, const NoticeFields& fields);

QString DefaultNoticeSubject();

// A short friendly text for one of the default job states, or a general one
// for any other state.
QString DefaultNoticeBody(const QString& state);
