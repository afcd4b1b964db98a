#pragma once

#include <cstdint>
#include <string_view>

// The line-device functions of the phone platform's telephony API, with the
// constants and block layouts the program relies on. They run over the
// telephony backend installed with SetTelephonyBackend.

namespace pelmora::tapi {

using HLINEAPP = uint32_t;
using HLINE = uint32_t;
using HCALL = uint32_t;

// The callback instance carries a pointer, so it is pointer-sized (as the
// platform's DWORD_PTR); the other five values are 32-bit.
using LineCallback = void (*)(uint32_t device, uint32_t message, uintptr_t instance,
    uint32_t param1, uint32_t param2, uint32_t param3);

// Messages.
constexpr uint32_t LINE_CALLSTATE = 2;
constexpr uint32_t LINE_LINEDEVSTATE = 8;

// Line-device states.
constexpr uint32_t LINEDEVSTATE_RINGING = 0x00000002;

// Call states and the connected mode.
constexpr uint32_t LINECALLSTATE_IDLE = 0x00000001;
constexpr uint32_t LINECALLSTATE_OFFERING = 0x00000002;
constexpr uint32_t LINECALLSTATE_ACCEPTED = 0x00000004;
constexpr uint32_t LINECALLSTATE_CONNECTED = 0x00000100;
constexpr uint32_t LINECALLSTATE_DISCONNECTED = 0x00004000;
constexpr uint32_t LINECONNECTEDMODE_ACTIVE = 0x00000001;
constexpr uint32_t LINEDISCONNECTMODE_NORMAL = 0x00000001;

// Privileges and media modes of lineOpen.
constexpr uint32_t LINECALLPRIVILEGE_MONITOR = 0x00000002;
constexpr uint32_t LINECALLPRIVILEGE_OWNER = 0x00000004;
constexpr uint32_t LINEMEDIAMODE_INTERACTIVEVOICE = 0x00000004;

// Caller-ID flags.
constexpr uint32_t LINECALLPARTYID_BLOCKED = 0x00000001;
constexpr uint32_t LINECALLPARTYID_NAME = 0x00000002;
constexpr uint32_t LINECALLPARTYID_ADDRESS = 0x00000008;
constexpr uint32_t LINECALLPARTYID_UNKNOWN = 0x00000010;

// Results. Successful calls return 0 (lineDrop a positive request id).
constexpr int32_t LINEERR_INVALAPPHANDLE = static_cast<int32_t>(0x80000015);
constexpr int32_t LINEERR_BADDEVICEID = static_cast<int32_t>(0x80000002);
constexpr int32_t LINEERR_INCOMPATIBLEAPIVERSION = static_cast<int32_t>(0x8000000C);
constexpr int32_t LINEERR_INVALCALLHANDLE = static_cast<int32_t>(0x80000018);
constexpr int32_t LINEERR_INVALLINEHANDLE = static_cast<int32_t>(0x8000002B);
constexpr int32_t LINEERR_INVALPOINTER = static_cast<int32_t>(0x80000035);
constexpr int32_t LINEERR_NODRIVER = static_cast<int32_t>(0x80000043);
constexpr int32_t LINEERR_NOTOWNER = static_cast<int32_t>(0x80000046);
constexpr int32_t LINEERR_OPERATIONFAILED = static_cast<int32_t>(0x80000048);
constexpr int32_t LINEERR_STRUCTURETOOSMALL = static_cast<int32_t>(0x8000004D);
constexpr int32_t LINEERR_INVALAPPNAME = static_cast<int32_t>(0x80000014);

// The call-parameters block given to lineOpen: 180 bytes, all zero but its
// leading 32-bit total size.
constexpr size_t kLineCallParamsSize = 180;

// The call-information block filled by lineGetCallInfo: 428 bytes with a
// leading 32-bit total size. The fields the program reads sit at TAPI's
// offsets; the caller-ID text goes to the block's variable part, which starts
// at 228 here and so holds 99 characters and their terminator.
constexpr size_t kLineCallInfoSize = 428;
constexpr size_t kCallInfoNeededSizeOffset = 4;
constexpr size_t kCallInfoUsedSizeOffset = 8;
constexpr size_t kCallInfoLineOffset = 12;
constexpr size_t kCallInfoMediaModeOffset = 32;
constexpr size_t kCallInfoCallIdOffset = 40;
constexpr size_t kCallInfoOriginOffset = 80;
constexpr size_t kCallerIdFlagsOffset = 108;
constexpr size_t kCallerIdSizeOffset = 112;
constexpr size_t kCallerIdOffsetOffset = 116;
constexpr size_t kCallInfoVariablePart = 228;
constexpr uint32_t LINECALLORIGIN_INBOUND = 0x00000004;

constexpr uint32_t kApiVersion13 = 0x00010003;
constexpr uint32_t kApiVersion20 = 0x00020000;

int32_t lineInitialize(HLINEAPP* lineApp, void* moduleInstance, LineCallback callback,
    const char16_t* appName, uint32_t* numDevices);
int32_t lineNegotiateAPIVersion(HLINEAPP lineApp, uint32_t deviceId, uint32_t lowVersion,
    uint32_t highVersion, uint32_t* apiVersion, uint64_t* extensionId);
int32_t lineOpen(HLINEAPP lineApp, uint32_t deviceId, HLINE* line, uint32_t apiVersion,
    uint32_t extVersion, uintptr_t callbackInstance, uint32_t privileges, uint32_t mediaModes,
    const uint8_t* callParams);
int32_t lineSetStatusMessages(HLINE line, uint32_t lineStates, uint32_t addressStates);
// `callInfo` points to a block whose leading 32-bit field gives its size.
int32_t lineGetCallInfo(HCALL call, uint8_t* callInfo);
int32_t lineDrop(HCALL call, const char* userUserInfo, uint32_t size);
int32_t lineClose(HLINE line);
int32_t lineShutdown(HLINEAPP lineApp);

// The assisted-telephony request that places a voice call through the phone
// application.
int32_t tapiRequestMakeCall(const char16_t* destAddress, const char16_t* appName,
    const char16_t* calledParty, const char16_t* comment);

} // namespace pelmora::tapi
