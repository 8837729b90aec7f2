// The client library's C entry points, resolved once from the library file
// loaded at run time, and the one place that turns a status vector into
// IBPP::Exception. Internal to the client layer.
#pragma once

#include <ibase.h>

#include <string>

#include "ibpp/ibpp.h"

namespace IBPP::Client {

struct Api {
    decltype(&isc_attach_database) attach_database;
    decltype(&isc_create_database) create_database;
    decltype(&isc_detach_database) detach_database;
    decltype(&isc_drop_database) drop_database;
    decltype(&isc_start_transaction) start_transaction;
    decltype(&isc_commit_transaction) commit_transaction;
    decltype(&isc_rollback_transaction) rollback_transaction;
    decltype(&isc_dsql_allocate_statement) dsql_allocate_statement;
    decltype(&isc_dsql_prepare) dsql_prepare;
    decltype(&isc_dsql_describe) dsql_describe;
    decltype(&isc_dsql_describe_bind) dsql_describe_bind;
    decltype(&isc_dsql_execute) dsql_execute;
    decltype(&isc_dsql_execute2) dsql_execute2;
    decltype(&isc_dsql_execute_immediate) dsql_execute_immediate;
    decltype(&isc_dsql_fetch) dsql_fetch;
    decltype(&isc_dsql_free_statement) dsql_free_statement;
    decltype(&isc_dsql_sql_info) dsql_sql_info;
    decltype(&isc_create_blob2) create_blob2;
    decltype(&isc_open_blob2) open_blob2;
    decltype(&isc_close_blob) close_blob;
    decltype(&isc_cancel_blob) cancel_blob;
    decltype(&isc_put_segment) put_segment;
    decltype(&isc_get_segment) get_segment;
    decltype(&isc_blob_info) blob_info;
    decltype(&isc_service_attach) service_attach;
    decltype(&isc_service_detach) service_detach;
    decltype(&isc_service_start) service_start;
    decltype(&isc_service_query) service_query;
    decltype(&fb_interpret) interpret;
    decltype(&isc_sqlcode) sqlcode;
    decltype(&fb_shutdown) shutdown;
    decltype(&fb_shutdown_callback) shutdown_callback;
};

// Loads the library on the first call (raising Exception naming the file when
// that fails) and answers its entry points.
const Api& Load();

// The name of the library file that Load() opens.
std::string LibraryFileName();

// Raises IBPP::Exception with the engine's formatted message when the status
// vector reports an error; does nothing otherwise.
void Check(const ISC_STATUS* status);

// Raises the error that the status vector reports (it must report one).
[[noreturn]] void Raise(const ISC_STATUS* status);

// The engine's formatted message for an error status vector, lines joined
// the way isql prints them.
std::string Message(const ISC_STATUS* status);

}  // namespace IBPP::Client

namespace IBPP::Client {

// The entry points when the library is loaded, else null; never loads it.
const Api* Loaded();

}  // namespace IBPP::Client
