#pragma once

#include "storage/sql_connection.h"

namespace orvane::service::storage {

// The schema version this build writes.
int currentSchemaVersion();

// Brings the schema up to `targetVersion` (the current one unless a test asks for an older one),
// in one transaction. Refuses a database whose version is newer than this build knows.
void migrateSchema(SqlConnection& connection, int targetVersion = currentSchemaVersion());

// The version recorded in the database, 0 for an empty one.
int storedSchemaVersion(SqlConnection& connection);

}  // namespace orvane::service::storage
