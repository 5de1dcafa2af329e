#pragma once

#include <string_view>

// Every line that crosses the wire between the tool and a panel. Pages and the simulated
// panel take their lines from here; nothing else spells them.
namespace trx::command {

// Request shape: the panel answers with a block and closes.
inline constexpr std::string_view kSetDataRequest = "TRX900 SETDATA SETTING REQ\r\n";
inline constexpr std::string_view kAuthRequest = "TRX900 AUTH SETTING REQ\r\n";
inline constexpr std::string_view kRopListRequest = "TRX900 ROP LIST SETTING REQ\r\n";
inline constexpr std::string_view kCameraListRequest = "TRX900 IP SETTING REQ\r\n";
inline constexpr std::string_view kCameraListInitialize = "TRX900 IP SETTING INITIALIZE\r\n";
inline constexpr std::string_view kSearchStartCcu = "TRX900 IP SET KEEP START CCU\r\n";
inline constexpr std::string_view kSearchStartRemoteCamera =
    "TRX900 IP SET KEEP START REMOTE CAMERA\r\n";
inline constexpr std::string_view kSearchStartCamcorder = "TRX900 IP SET KEEP START CAMCODER\r\n";
inline constexpr std::string_view kSearchRetryCcu = "TRX900 IP SET KEEP RETRY CCU\r\n";
inline constexpr std::string_view kSearchRetryRemoteCamera =
    "TRX900 IP SET KEEP RETRY REMOTE CAMERA\r\n";
inline constexpr std::string_view kSearchRetryCamcorder = "TRX900 IP SET KEEP RETRY CAMCODER\r\n";

// Write shape: acknowledgement, block, result line.
inline constexpr std::string_view kSetDataChange = "TRX900 SETDATA SETTING CHANGE\r\n";
inline constexpr std::string_view kAuthChange = "TRX900 AUTH SETTING CHANGE\r\n";
inline constexpr std::string_view kRopListChange = "TRX900 ROP LIST SETTING CHANGE\r\n";
inline constexpr std::string_view kCameraListChange = "TRX900 IP SETTING CHANGE\r\n";
inline constexpr std::string_view kCameraListKeepSet = "TRX900 IP SET KEEP SET\r\n";

// Notify shape: nothing is read back.
inline constexpr std::string_view kRopConnectionCheck = "TRX900 ROP LIST SETTING CHECK\r\n";

// Camera families as the search commands name them: 0 CCU, 1 RemoteCamera, 2 Camcorder.
inline constexpr int kCameraFamilyCount = 3;
constexpr std::string_view searchCommand(int family, bool pending) {
    switch (family) {
        case 1:
            return pending ? kSearchRetryRemoteCamera : kSearchStartRemoteCamera;
        case 2:
            return pending ? kSearchRetryCamcorder : kSearchStartCamcorder;
        default:
            return pending ? kSearchRetryCcu : kSearchStartCcu;
    }
}

}  // namespace trx::command

// Lines sent by the panel, which the tool compares.
namespace trx::panel_line {

// Compared over all 26 bytes.
inline constexpr std::string_view kAcknowledge = "TRX900 SETTING CHANGE OK\r\n";
// Compared over the first 8 bytes of a result line.
inline constexpr std::string_view kWriteOk = "WRITE OK";
// Compared over the first 22 bytes of a camera table write's result line.
inline constexpr std::string_view kCameraTypeSettingNg = "CAMERA TYPE SETTING NG";

}  // namespace trx::panel_line
