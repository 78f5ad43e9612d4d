// The virtual drive's event log (log page 07h): packets of text in the
// drive's own formats, served one or more log parameters per packet, with
// packets added when an injected fault hits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SimDevice;

// A log a technician would find on a drive in service: power-on self tests,
// SCSI and sense reports, events with tag and date, a bug check with its
// register dump (longer than one log parameter), a code update, an
// over-temperature report. Hours run up to the drive's power-on hours.
std::vector<std::string> SampleEventLog(uint32_t poh);

// A log of about `bytes` bytes of packets (for large-log tests and timing):
// the sample's packet kinds in turn, hours rising from `firstPoh`.
std::vector<std::string> LargeEventLog(size_t bytes, uint32_t firstPoh);

// Packets of a text: a line holding "Packet #" starts a packet; lines before
// the first belong to a packet of their own. Line ends become CR LF.
std::vector<std::string> SplitEventPackets(const std::string& text);

// The `eventlog` statement of bench files: "sample", "size=<bytes>" or the
// name of a text file. False with a reason when the source cannot be used.
bool SetEventLog(SimDevice& d, const std::string& source, std::string* why);

// An injected check condition leaves a SCSI packet with its sense.
void AppendFaultPacket(SimDevice& d, uint8_t opcode, uint8_t key, uint8_t asc, uint8_t ascq);

// The log parameters of page 07h: one packet per parameter, a packet longer
// than a parameter holds (255 bytes) continued in the next ones, split after
// a line end where it can be. An empty parameter ends the log.
void EventLogParameters(const SimDevice& d, std::vector<uint8_t>& params);
