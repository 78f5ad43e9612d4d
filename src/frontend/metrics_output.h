// The health run in the Prometheus text exposition format, for
// node_exporter's textfile collector (`--metrics FILE`). Every sample of a
// device carries the labels serial, vendor, product and node; a figure that
// was not read has no sample. An unreadable device shows as
// vexil_health_status 2 with vexil_health_readable 0.
#pragma once

#include <string>

#include "facade/health.h"

std::string HealthMetrics(const HealthRun& run);

// Replaces the file at path with the run's metrics at once (see
// WriteFileAtomically); on failure the old file stays and error says why.
bool WriteHealthMetrics(const std::string& path, const HealthRun& run, std::string& error);
