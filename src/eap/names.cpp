// Additional-parameter type names.
#include "code_name.h"

const CODE_NAME AddParamPakets[21] = {
    {160, "ENDPOINT_A"},   {161, "ENDPOINT_B"},   {162, "BUTTON"},
    {163, "NAME_CALL"},    {164, "EIRINE_NUM"},   {165, "DMR_PRIORITY"},
    {166, "ANOTHER_ABONENT_PARAM"},               {167, "MGCP_SEANCE"},
    {168, "RTP_PARAM"},    {169, "EDSS_ID_CALL"}, {170, "ENDPOINT_C"},
    {171, "SESSION_LIST"}, {172, "CAMERA_PROP"},  {173, "BINARY_DATA"},
    {174, "VIDEO_PARAM"},  {175, "HIDE_PARAM"},   {176, "HIDE_NAME"},
    {177, "ENDPOINT_TYPE"}, {178, "REDIRECT_NUMBER"}, {179, "ADDCAPABILITY"},
    {180, "UNKNOWN"},
};

const char* get_name_add_param(unsigned char type) {
    return paketlog::detail::find_name(AddParamPakets, type, nullptr);
}
