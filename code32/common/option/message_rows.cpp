// The alert messages: {name index, string id, caption string id, style, symbol, reserved}. The
// texts are strings of the language resource library.
#include "option_table.h"

namespace {
const MessageEntry kMessages[] = {
    {268, 235, 0, 0, "ZPD_ScaleIllegalMessage", 0},
    {269, 10003, 0, 0, "ZPD_ProofUserIDNullMessage", 0},
    {270, 10004, 0, 0, "ZPD_SecurityUserIDNullMessage", 0},
    {271, 10005, 0, 0, "ZPD_SecurityPasswordNullMessage", 0},
    {272, 12005, 0, 0, "ZPD_CopiesIllegalMessage", 0},
    {273, 10008, 0, 0, "ZPD_DeviceNotExistMessage", 0},
    {274, 10010, 0, 0, "ZPD_MargeIllegalMessage", 0},
    {275, 12059, 0, 0, "ZPD_DuplexOnMessage", 0},
    {276, 10021, 0, 0, "ZPD_MarginIllegalMessage", 0},
    {277, 10016, 0, 0, "ZPD_MenteDelMessage", 0},
    {278, 10029, 0, 0, "ZPD_StampDelMessage", 0},
    {279, 10030, 0, 0, "ZPD_StampBuffNullMessage", 0},
    {280, 10031, 0, 0, "ZPD_PresetSaveMessage", 0},
    {281, 10033, 0, 0, "ZPD_UserSaveMessage", 0},
    {282, 10022, 0, 0, "ZPD_FreeSizeIllegalMessage", 0},
    {283, 10036, 0, 0, "ZPD_UserCodeOnNullMessage", 0},
    {284, 10037, 0, 0, "ZPD_UserCodeServerOnNullMessage", 0},
    {285, 10002, 0, 0, "ZPD_PrintSizeIllegalMessage", 0},
    {286, 10013, 0, 0, "ZPD_ProofMarkMessage", 0},
    {287, 10044, 0, 0, "ZPD_ResolutionSizeOverMessage", 0},
    {288, 10048, 0, 0, "ZPD_PrintTypePasswordMessage", 0},
    {289, 10046, 0, 0, "ZPD_CoverMessage", 0},
    {290, 10047, 0, 0, "ZPD_MarkMessage", 0},
    {291, 10057, 0, 0, "ZPD_SecurityMarkMessage", 0},
    {292, 12012, 0, 0, "ZPD_NupOnMessage", 0},
    {293, 10061, 0, 0, "ZPD_OverlayBuffNullMessage", 0},
    {294, 10058, 0, 0, "ZPD_OverlayStampMessage", 0},
    {295, 10059, 0, 0, "ZPD_OverlayIllegalMessage", 0},
    {296, 10062, 0, 0, "ZPD_OverlaySaveBuffNuffMessage", 0},
    {297, 10080, 0, 0, "ZPD_DuplexSetMessage", 0},
    {298, 12006, 0, 0, "ZPD_PrnSideOnMessage", 0},
    {299, 12010, 0, 0, "ZPD_SkipFeedIllegalMessage", 0},
    {300, 12060, 0, 0, "ZPD_NupOnRepeatMessage", 0},
    {301, 12061, 0, 0, "ZPD_StoredIllegalMessage", 0},
    {302, 13781, 0, 0, "ZPD_DuplexOnSkipFeedOffMessage", 0},
    {303, 14185, 0, 0, "ZPD_PrintSizeIllegal2Message", 0},
};
}  // namespace

const MessageTable kMessageTable = {static_cast<int16_t>(sizeof kMessages / sizeof kMessages[0]), kMessages};
