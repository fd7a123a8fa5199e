#pragma once
// The codes the printer link leaves in LastError besides the library's own negative codes.

namespace printer {

enum LinkError : int {
  kLinkFresh = 1,            // LastError of a new link: nothing has failed yet
  kJobBufferFull = -930,     // an append would have grown the job past 16 MiB; nothing appended
  kFileUnreadable = -931,    // a file to send exists but cannot be opened or read
  kMeasuredOutOfRange = -936,  // a value measured on a sheet lies outside what the sheet shows
  kFineMeasuredOutOfRange = -937,  // the same for the fine (four-byte) position value
  kCorrectionOutOfRange = -938,    // a corrected NVRAM value would leave its allowed range
  kValueDoesNotFit = -939,   // a command builder got a value that does not fit
  kNoSuchAddress = -940,     // NVRAM address 0xFFFF, or an unknown head-ID kind
  kTextFeedTooLong = -941,   // printed text needs more feed than the page allows
  kEraseFailed = -945,       // list erase reported failure
  kEraseTimeout = -946,      // list erase did not finish in time
  kImsCheckNg = -967,        // the IMS check found a mark out of place (the sheet says which)
  kImsPaperCheck = -970,     // the IMS paper check read the paper outside its range
  kReadBackDiffers = -992,   // an NVRAM change did not read back
  kNotLetterOrDigit = -993,  // an NVRAM text holds a character that is not a letter or digit
  kStatusTimeout = -995,     // the wanted status did not come in time
  kPortWriteFailed = -996,   // writing to the port failed
  kUnexpectedStatus = -997,  // unexpected printer status while sending
  kHeadIdTooShort = -110,    // a head-ID text shorter than 45 characters
};

}  // namespace printer
