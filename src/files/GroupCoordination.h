// Coordination of the connected transmitter's own table: a group as read (GroupView) as
// carriers and as the marks of the channel grid, the transmitter's tuning grid as the
// candidates of a suggestion, and a suggested set written into a group.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "device/FrequencyPlan.h"
#include "files/FileProgress.h"
#include "plan/Coordination.h"

namespace zentra {

struct TDeviceData;

// Each row's frequency while its channel is on air (its frequency read, the channel not
// hidden); nullopt for the other rows. The SYNC view has its one row.
std::vector<std::optional<int32_t>> OnAirRows(const GroupView& view);

// The marks of the frequency grid for the rows of a group as last read: which channels
// suffer a conflict and the tool tip naming each product. The grid asks again after
// every read of the shown group.
std::vector<plan::ChannelMark> GroupConflictMarks(const GroupView& view, const plan::Guards& guards);
// The same with the carriers of other groups on air at the same time: they count as
// makers and victims, but only the view's rows are marked.
std::vector<plan::ChannelMark> GroupConflictMarks(const GroupView& view, const plan::Guards& guards,
                                                  const std::vector<int32_t>& onAirKHz);

// Where the transmitter can put a carrier between lowKHz and highKHz: the points of its
// tuning step inside its range whose sub-band allows power. Empty while the step has not
// been read.
std::vector<int32_t> TuningCandidates(const TDeviceData& data, int32_t lowKHz, int32_t highKHz);

struct GroupWriteResult {
  FileOpResult load;            // the table load that wrote the channels
  GroupView readBack;           // the whole group as read back afterwards
  std::vector<int> mismatched;  // channels whose frequency read back differs or was not read
  bool ok() const { return load.ok() && load.failedCommands == 0 && readBack.ok && mismatched.empty(); }
};

// Writes freqsKHz to channels 00, 01, ... of an ordinary group through the table load
// (an in-memory file holding just those channels: the same checks, commands and rules
// as a file load), then reads the whole group back and compares every written channel.
// With hideRest (transmitters with channel flags) the written channels are made visible
// and the channels past the set hidden, so exactly the set is on air; otherwise flags
// and the channels past the set stay as they were.
GroupWriteResult WriteGroupFrequencies(Transactor& link, TDeviceData& data, int group,
                                       const std::vector<int32_t>& freqsKHz, bool hideRest,
                                       FileProgress& progress);

}  // namespace zentra
