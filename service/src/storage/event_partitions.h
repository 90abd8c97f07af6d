#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "storage/sql_connection.h"

namespace orvane::service::storage {

// On PostgreSQL events live in one partition per UTC day of their arrival (received_at), named
// events_YYYYMMDD, so that old days are dropped whole and reads of a period touch only its days.

// The UTC day of a received_at in milliseconds.
std::chrono::sys_days eventDay(std::int64_t receivedAtMillis);
std::string eventPartitionName(std::chrono::sys_days day);

// Creates the day's partition unless it exists, within the caller's transaction. Instances doing
// so at once take turns on an advisory lock instead of failing on each other's table.
void createEventPartition(SqlConnection& connection, std::chrono::sys_days day);

// The days that have a partition, oldest first.
std::vector<std::chrono::sys_days> eventPartitionDays(SqlConnection& connection);

// Drops the partitions of the days before `firstKept`; returns the days dropped.
std::vector<std::chrono::sys_days> dropEventPartitionsBefore(SqlConnection& connection,
                                                             std::chrono::sys_days firstKept);

// Turns the single events table of earlier versions into a partitioned one, keeping every row
// and its id.
void partitionEventsTable(SqlConnection& connection);

}  // namespace orvane::service::storage
