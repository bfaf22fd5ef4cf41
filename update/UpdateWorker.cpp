#include "update/UpdateWorker.h"

#include "app/UpdaterApp.h"
#include "fw/File.h"
#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"
#include "portlib/PortOpen.h"
#include "update/SystemRequiredScope.h"

#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

// Room for one piece.
constexpr std::size_t BufferSize = 1024;

// A PortResult as a run's result, its sign carried along.
int32_t Widen(PortResult result) {
    return static_cast<int32_t>(result);
}

// Bar position for a byte count: whole thousands, held within the int range.
int Position(uint64_t bytes) {
    const uint64_t thousands = bytes / UpdatePieceSize;
    return thousands > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(thousands);
}

// Offers the first length bytes of buffer until the printer has taken them all; taken grows by
// every byte it took. After a send that stopped part-way only the unsent tail is offered again,
// moved to the buffer's start. PortOk, or the result that ends the run.
int32_t SendPiece(const UpdateJob& job, PortLibrary& ports, uint8_t* buffer, uint32_t length,
                  uint64_t& taken) {
    // A stalled printer refuses attempt after attempt with no pause between them: one line
    // when the stall begins, not one per attempt.
    bool stalled = false;
    for (;;) {
        if (job.m_cancelRequested.load() == 1) {
            fw::EventTrace(op::Update, "transfer stopped by the operator").BytesSent(taken);
            return UpdateCancelled;
        }
        uint32_t sent = 0;
        const PortResult result = ports.SendCounted(buffer, length, &sent);
        if (result == PortOk) {
            taken += length;
            return PortOk;
        }
        // A library without the detail leaves it at 0: the failure is then final.
        int16_t detail = 0;
        ports.GetIoErrorCode(&detail);
        if (result != PortIoError || detail != IoDetailSendIncomplete) {
            fw::FailureTrace(op::Update, lvx::SendName)
                .PortResult(result)
                .IoDetail(detail)
                .BytesSent(taken);
            return Widen(result);
        }
        // More than offered would move bytes from outside the piece.
        if (sent > length) {
            fw::FailureTrace(op::Update, lvx::GetPreviousSentDataSizeName)
                .Result(sent)
                .Note("more than the " + std::to_string(length) + " bytes offered")
                .BytesSent(taken);
            return UpdateSentSizeInvalid;
        }
        taken += sent;
        // A send that took part of the piece is the printer's flow control, not a failure.
        if (sent == 0 && !stalled) {
            fw::FailureTrace(op::Update, lvx::SendName)
                .PortResult(result)
                .IoDetail(detail)
                .Note("took 0 of " + std::to_string(length))
                .BytesSent(taken);
        }
        stalled = sent == 0;
        length -= sent;
        std::memmove(buffer, buffer + sent, length);
    }
}

} // namespace

// The port is opened first and closed only after a whole run; after a failure it stays open
// for the next Open to close. The system stays awake for the whole run.
int32_t UpdateWorker(UpdateJob& job, PortLibrary& ports) {
    const SystemRequiredScope awake;
    const PortResult opened = OpenPort(ports, job.m_portId, op::Update);
    if (opened != PortOk) {
        return Widen(opened);
    }
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[BufferSize]());
    if (!buffer) {
        fw::FailureTrace(op::Update, "new").Note("transfer buffer");
        return UpdateNoMemory;
    }
    fw::File file;
    if (!file.OpenReadExclusive(job.m_updateFilePath)) {
        const DWORD error = ::GetLastError();
        fw::FailureTrace(op::Update, "CreateFileW")
            .LastError()
            .Note(fw::DisplayText(job.m_updateFilePath));
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                   ? UpdateFileInUse
                   : UpdateFileNotFound;
    }
    // What was sent is compared with this at the end: a share that does not enforce the
    // exclusive open lets another machine cut or grow the file meanwhile. A handle without a
    // size (a pipe) is read to its end and judged by its reads alone.
    uint64_t size = 0;
    const bool sized = file.Size(size);
    if (!sized) {
        fw::FailureTrace(op::Update, "GetFileSizeEx").LastError();
    }
    // A 16-bit range would wrap from 65,536,000 bytes and turn negative from 32,768,000.
    const int steps = Position(size);
    fw::ProgressSink& bar = *job.m_progress;
    bar.SetRange32(0, steps);
    bar.SetPos(0);
    bar.SetStep(1);
    uint64_t taken = 0;
    for (;;) {
        uint32_t length = 0;
        if (!file.Read(buffer.get(), UpdatePieceSize, &length)) {
            fw::FailureTrace(op::Update, "ReadFile").LastError().BytesSent(taken);
            return UpdateReadFailed;
        }
        if (length == 0) {
            // Nothing to send leaves the old NVM in place: not a completed update.
            if (taken == 0) {
                fw::FailureTrace(op::Update, "ReadFile").Note("the data file is empty");
                return UpdateFileEmpty;
            }
            break;
        }
        const int32_t sent = SendPiece(job, ports, buffer.get(), length, taken);
        if (sent != PortOk) {
            return sent;
        }
        // A short piece is the last; the final position below stands for it.
        if (length < UpdatePieceSize) {
            break;
        }
        bar.SetPos(Position(taken));
    }
    if (sized && taken != size) {
        fw::FailureTrace(op::Update, "transfer")
            .Note("the data file changed: " + std::to_string(size) + " bytes at the start")
            .BytesSent(taken);
        return UpdateFileChanged;
    }
    bar.SetPos(sized ? steps : Position(taken));
    buffer.reset();
    ports.Close();
    file.Close();
    return PortOk;
}

// The thread's exit code carries the result's 32 bits.
DWORD UpdateWorkerThread(void* job) {
    return static_cast<DWORD>(
        UpdateWorker(*static_cast<UpdateJob*>(job), UpdaterApp::Running().Ports()));
}
