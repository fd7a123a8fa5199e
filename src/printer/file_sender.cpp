#include "printer/file_sender.h"

#include <vector>

namespace printer {
namespace {

using driver::kDrvBusy;

// NVRAM flag the printer sets when it wants the last chunk again.
constexpr int kResendFlagAddress = 0x845F;

}  // namespace

FileSender::FileSender(CPrinterLink& link)
    : link_(link), settings_(link.Environment().settings), guard_(link.Environment().clock) {}

void FileSender::Show(const std::string& text, int mode) {
  link_.Environment().ui.ShowMessageDialog(text, mode);
}

std::string FileSender::ErrorText(int code, int okHint, int cancelHint) const {
  const std::string text = code >= 0 && code < 20
                               ? settings_.strError[static_cast<std::size_t>(code)]
                               : "Error " + std::to_string(code);
  return text + "\n\nOK:" + settings_.strMessage[static_cast<std::size_t>(okHint)] +
         "\nCANCEL:" + settings_.strMessage[static_cast<std::size_t>(cancelHint)];
}

bool FileSender::Send(std::istream& file, int chunkSize, const SendProgress& progress) {
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(chunkSize));
  std::uint64_t sent = 0;
  for (;;) {
    file.read(reinterpret_cast<char*>(chunk.data()), chunkSize);
    if (file.bad()) {
      Show("FILE READ ERROR", 2);
      link_.SetLastError(kFileUnreadable);
      return false;
    }
    const auto length = static_cast<int>(file.gcount());
    if (!SendChunk(chunk.data(), length)) return false;
    sent += static_cast<std::uint64_t>(length);
    if (progress) progress(sent);
    if (length < chunkSize) return true;
  }
}

// Sends one chunk until the printer has taken it, or said it does not want it again.
bool FileSender::SendChunk(const std::uint8_t* data, int length) {
  reported_ = false;
  guard_.Progressed();
  for (;;) {
    const int result = link_.Driver().Send(data, length);
    if (result >= 0) {
      link_.NoteSent(data, static_cast<std::size_t>(length));
      return true;
    }
    if (result != kDrvBusy) {
      Show("SEND FILE ERROR", 2);
      link_.SetLastError(result);
      return false;
    }
    Next next = Next::PollAgain;
    while (next == Next::PollAgain) next = AfterBusy();
    if (next == Next::Stop) return false;
    if (next == Next::NextChunk) return true;
  }
}

// Reads the printer's status after a busy answer and asks its state what to do.
FileSender::Next FileSender::AfterBusy() {
  if (!guard_.Wait()) {
    Show("SEND FILE ERROR", 2);
    link_.SetLastError(kUnexpectedStatus);
    return Next::Stop;
  }
  driver::STATUSINF status;
  const int read = link_.Driver().Ctl_GetStatus(&status);
  if (read < 0) {
    link_.SetLastError(read);
    Show("GET STATUS ERROR", 2);
    return Next::Stop;
  }
  switch (status.type) {
    case 0: return OnStopped(status.errorCode);
    case 2: return OnReceiving();
    case 3:
    case 4: return Next::SendAgain;
    case 11:
    case 12:
    case 14:
    case 15: return Next::PollAgain;
    default: return OnNotTaken(status.type);
  }
}

FileSender::Next FileSender::OnStopped(int errorCode) {
  switch (errorCode) {
    case 0:
    case 1:
    case 2:
    case 5: Show(ErrorText(errorCode, 1, 2), 2); break;
    case 4:
      Show(ErrorText(errorCode, 1, 2), 2);
      ResumeIfAllowed(&driver::GreltDriver::Ctl_ResumePaperJam, "Not Resum PaperJam");
      break;
    case 6:
      if (link_.Environment().ui.ShowMessageDialog(ErrorText(errorCode, 3, 4), 3) != ui::kAnswerOk)
        return Next::Stop;
      ResumeIfAllowed(&driver::GreltDriver::Ctl_ResumePaperOut, "Not Resum PaperOut");
      break;
    case 7: {
      // The printer says whether it still wants the chunk.
      std::uint8_t flag = 0;
      const driver::AccessCode& access = link_.AccessCode();
      link_.Driver().Ctl_ReplyEEP_LFP(access[0], access[1], kResendFlagAddress, &flag);
      return flag == 1 ? Next::SendAgain : Next::NextChunk;
    }
    default: Show("UNKNOWN ERROR\n\n" + settings_.strMessage[5], 2); return Next::Stop;
  }
  link_.Environment().clock.Sleep(std::chrono::milliseconds(1000));
  told_ = true;
  return Next::PollAgain;
}

// Resumes after a jam or paper out when the machine parameters allow it; a failed resume is
// told and kept in LastError, and the sender polls on.
void FileSender::ResumeIfAllowed(int (driver::GreltDriver::*resume)(), const char* failedText) {
  if (settings_.nNewERRControl != 1) return;
  const int resumed = (link_.Driver().*resume)();
  if (resumed < 0) {
    link_.SetLastError(resumed);
    Show(failedText, 2);
  }
}

FileSender::Next FileSender::OnReceiving() {
  if (!told_) Show(link_.StatusText(2) + "\n\nRETRY SEND", 0);
  told_ = false;
  return Next::SendAgain;
}

// The chunk was not taken: it goes again, and the user hears why once.
FileSender::Next FileSender::OnNotTaken(int type) {
  if (!reported_) {
    const bool known = type == 1 || type == 7 || type == 8 || type == 9;
    Show(known ? link_.StatusText(type) + "\n\nRETRY GET STATUS" : "UNKNOWN STATUS", 0);
    reported_ = true;
  }
  return Next::SendAgain;
}

}  // namespace printer
