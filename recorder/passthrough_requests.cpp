#include "passthrough_requests.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint8_t DriverSense = 0x08;
constexpr uint16_t DidTimeOut = 0x03;  // the kernel's host status for a command it timed out

int DirectionOf(uint8_t Flags, uint32_t Length)
{
    if (Flags & SRB_DIR_IN)
        return SG_DXFER_FROM_DEV;
    if (Flags & SRB_DIR_OUT)
        return SG_DXFER_TO_DEV;
    return Length ? SG_DXFER_TO_FROM_DEV : SG_DXFER_NONE;  // direction left to the drive
}

// The SG_IO header for the block's command, with the command, data and sense where given.
sg_io_hdr_t SgHeader(const SRB_ExecSCSICmd& Srb, uint8_t* Cdb, uint8_t* Data, uint8_t* Sense)
{
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = DirectionOf(Srb.SRB_Flags, Srb.SRB_BufLen);
    io.cmd_len = std::min<uint8_t>(Srb.SRB_CDBLen, 16);
    io.cmdp = Cdb;
    io.dxfer_len = Srb.SRB_BufLen;
    io.dxferp = Data;
    io.mx_sb_len = std::min<uint8_t>(Srb.SRB_SenseLen, SENSE_LEN);
    io.sbp = Sense;
    io.timeout = PassThroughTimeoutMs;  // whatever the caller asked for
    return io;
}

// Fills in the block's results of a finished SG_IO call; the result is the new SRB_Status.
uint8_t Outcome(SRB_ExecSCSICmd& Srb, bool Called, const sg_io_hdr_t& Io, const uint8_t* Sense)
{
    // A transport failure (time-out, reset, lost device) shows in the host and driver status,
    // not in the SCSI status, so it must fail the request too.
    const bool transportOk = Io.host_status == 0 && (Io.driver_status & ~DriverSense) == 0;
    if (Called && transportOk && Io.status == 0 && (Io.sb_len_wr == 0 || Io.sb_len_wr == SENSE_LEN))
        return SS_COMP;
    std::memcpy(Srb.SenseArea, Sense, std::min<size_t>(Io.sb_len_wr, SENSE_LEN));
    Srb.SRB_TargStat = Io.status;
    if (Called && Io.host_status == DidTimeOut)
        Srb.SRB_HaStat = HASTAT_TIMEOUT;
    return SS_ERR;
}

// One request under way on a request thread. It owns everything the system call uses.
struct TRequest {
    SRB_ExecSCSICmd* Srb = nullptr;  // null once the caller has given it up
    int Drive = 0;
    int Event = -1;                  // its own duplicate of the caller's completion event
    TDeviceNodes* Nodes = nullptr;   // the nodes that opened the handle
    TSharedHandle Handle;
    uint8_t Cdb[16] = {};
    uint8_t Sense[SENSE_LEN] = {};
    std::vector<uint8_t> Data;
    sg_io_hdr_t Io{};
};

// The request threads. A thread that has finished its request waits for the next one, so a
// recording does not start a thread for every block group; a new thread is started only when
// every thread is busy, which is the case after a request was given up on a frozen drive.
// Requests given up stay in the list until their system call has returned.
class TRequestThreads {
public:
    uint8_t Start(std::unique_ptr<TRequest> Request)
    {
        std::lock_guard lock(FLock);
        TRequest* request = Request.get();
        FUnderWay.push_back(std::move(Request));
        FQueue.push_back(request);
        if (FIdleThreads > 0) {
            --FIdleThreads;
            FWork.notify_one();
            return SS_PENDING;
        }
        try {
            std::thread([this] { Work(); }).detach();
        } catch (const std::system_error&) {
            FQueue.pop_back();
            Forget(*request);
            return SS_ERR;
        }
        return SS_PENDING;
    }

    bool Abandon(const void* Srb)
    {
        std::lock_guard lock(FLock);
        for (const auto& request : FUnderWay)
            if (request->Srb == Srb) {
                request->Srb = nullptr;
                return true;
            }
        return false;
    }

    bool UnderWay(int Drive)
    {
        std::lock_guard lock(FLock);
        return FirstUnderWay(Drive) != nullptr;
    }

    bool WaitUntilNoneUnderWay(int TimeoutMs)
    {
        std::unique_lock lock(FLock);
        return FNoneUnderWay.wait_for(lock, std::chrono::milliseconds(TimeoutMs),
                                      [this] { return FUnderWay.empty(); });
    }

private:
    void Work()
    {
        std::unique_lock lock(FLock);
        for (;;) {
            FWork.wait(lock, [this] { return !FQueue.empty(); });
            TRequest& request = *FQueue.front();
            FQueue.pop_front();
            // One command at a time per drive, in the order they were sent, as the kernel
            // would queue them: a request waits for the one given up before it.
            FTurn.wait(lock, [&] { return FirstUnderWay(request.Drive) == &request; });
            lock.unlock();
            const bool called = request.Nodes->SendCommand(*request.Handle, request.Io);
            request.Handle.reset();  // closes it, when the drive table has let it go meanwhile
            lock.lock();
            HandOver(request, called);
            Forget(request);
            ++FIdleThreads;
        }
    }

    // Under the lock, so that a caller that gives the request up either finds the results
    // handed over completely or knows that they never will be; and so that the next request
    // starts only after this signal, which the caller empties from its event before it waits.
    static void HandOver(TRequest& Request, bool Called)
    {
        if (!Request.Srb)
            return;  // given up: the result is dropped
        SRB_ExecSCSICmd& srb = *Request.Srb;
        if (!Request.Data.empty() && Request.Io.dxfer_direction != SG_DXFER_TO_DEV)
            std::memcpy(srb.SRB_BufPointer, Request.Data.data(), Request.Data.size());
        const uint8_t status = Outcome(srb, Called, Request.Io, Request.Sense);
        std::atomic_ref<uint8_t>(srb.SRB_Status).store(status);
        eventfd_write(Request.Event, 1);
    }

    void Forget(TRequest& Request)
    {
        close(Request.Event);
        std::erase_if(FUnderWay, [&](const auto& r) { return r.get() == &Request; });
        FTurn.notify_all();
        if (FUnderWay.empty())
            FNoneUnderWay.notify_all();
    }

    const TRequest* FirstUnderWay(int Drive) const
    {
        for (const auto& request : FUnderWay)
            if (request->Drive == Drive)
                return request.get();
        return nullptr;
    }

    std::mutex FLock;
    std::condition_variable FWork;
    std::condition_variable FTurn;
    std::condition_variable FNoneUnderWay;
    std::deque<TRequest*> FQueue;
    std::vector<std::unique_ptr<TRequest>> FUnderWay;
    int FIdleThreads = 0;
};

// Never destroyed: a request thread may still hand a late result over while the program exits.
TRequestThreads& RequestThreads()
{
    static TRequestThreads& threads = *new TRequestThreads;
    return threads;
}

}  // namespace

TSharedHandle ShareHandle(int Handle)
{
    TDeviceNodes* nodes = &DeviceNodes();
    return TSharedHandle(new int(Handle), [nodes](const int* handle) {
        nodes->Close(*handle);
        delete handle;
    });
}

uint8_t RunRequestNow(SRB_ExecSCSICmd& Srb, int Handle)
{
    uint8_t sense[SENSE_LEN] = {};
    sg_io_hdr_t io = SgHeader(Srb, Srb.CDBByte, Srb.SRB_BufPointer, sense);
    const bool called = DeviceNodes().SendCommand(Handle, io);
    return Outcome(Srb, called, io, sense);
}

uint8_t StartRequest(SRB_ExecSCSICmd& Srb, TSharedHandle Handle, int Drive)
{
    auto request = std::make_unique<TRequest>();
    request->Event = fcntl(int(Srb.SRB_PostProc), F_DUPFD_CLOEXEC, 0);
    if (request->Event < 0)
        return SS_ERR;
    request->Srb = &Srb;
    request->Drive = Drive;
    request->Nodes = &DeviceNodes();
    request->Handle = std::move(Handle);
    std::copy(std::begin(Srb.CDBByte), std::end(Srb.CDBByte), request->Cdb);
    if (Srb.SRB_BufPointer && Srb.SRB_BufLen)
        request->Data.assign(Srb.SRB_BufPointer, Srb.SRB_BufPointer + Srb.SRB_BufLen);
    request->Io = SgHeader(Srb, request->Cdb, request->Data.empty() ? nullptr : request->Data.data(),
                           request->Sense);
    // Pending before the thread can see the request: it may complete at once.
    std::atomic_ref<uint8_t>(Srb.SRB_Status).store(SS_PENDING);
    return RequestThreads().Start(std::move(request));
}

bool AbandonRequest(const void* Srb)
{
    return RequestThreads().Abandon(Srb);
}

bool RequestUnderWay(int Drive)
{
    return RequestThreads().UnderWay(Drive);
}

bool WaitForRequests(int TimeoutMs)
{
    return RequestThreads().WaitUntilNoneUnderWay(TimeoutMs);
}
