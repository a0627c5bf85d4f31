#pragma once
// The file header record (RecordCode::Header): who sends the file, and when.
#include "format/Layout.h"

namespace tallivo::Header {

inline constexpr Field CompanyId         {"4-15",  "Company Id"};
inline constexpr Field CustomerReference {"16-47", "Customer Reference"};
inline constexpr Field FileDate          {"48-55", "Message/File Date"};
inline constexpr Field FileTime          {"56-61", "Message/File Time"};
inline constexpr Field ChannelId         {"62-64", "Channel Id"};

// In column order within the record.
static_assert(LaysOut(RecordCode::Header, {CompanyId, CustomerReference, FileDate, FileTime, ChannelId}));

} // namespace tallivo::Header
