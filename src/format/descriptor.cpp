// Subscriber descriptors: four small code tables named in brackets.
#include <cstring>
#include <iterator>

#include "code_name.h"

using paketlog::detail::rows_complete;

constexpr CODE_NAME NumberTypeType[6] = {{0, "Undef"}, {1, "Local"}, {2, "Zone "},
                                         {3, "Natnl"}, {4, "IntNt"}, {5, "Servc"}};
constexpr CODE_NAME NumberAbonentType[2] = {{0, "Lcl "}, {1, "Rmt "}};
constexpr CODE_NAME NumberFormatType[3] = {{0, "PBX "}, {1, "DMR "}, {2, "DTRAN"}};
constexpr CODE_NAME PlanNumberType[4] = {{0, "Undf_NT"}, {1, "Tlph_NT"}, {2, "Natn_NT"}, {3, "Prvt_NT"}};
constexpr CODE_NAME NumberPropertyType[4] = {{0, "Undef"}, {1, "Empty"}, {2, "Part "}, {3, "Full "}};
static_assert(rows_complete(NumberTypeType) && rows_complete(NumberAbonentType) && rows_complete(NumberFormatType) &&
                  rows_complete(PlanNumberType) && rows_complete(NumberPropertyType),
              "descriptor tables");

// Indexed by kind: type, abonent, format, plan, property.
constexpr DESCRIPTION_TABLE CommonDescriptionTable[5] = {
    {NumberTypeType, std::size(NumberTypeType), ""},         {NumberAbonentType, std::size(NumberAbonentType), ""},
    {NumberFormatType, std::size(NumberFormatType), ""},     {PlanNumberType, std::size(PlanNumberType), ""},
    {NumberPropertyType, std::size(NumberPropertyType), ""},
};

const char* get_description_by_type(unsigned char kind, unsigned char code) {
    if (kind >= std::size(CommonDescriptionTable)) return "";
    const DESCRIPTION_TABLE& row = CommonDescriptionTable[kind];
    return paketlog::detail::find_name(row.table, row.count, code, row.default_text);
}

char* abonenttype2str(SABONENT_TYPE* abonent_type, char* dst, unsigned short size) {
    if (abonent_type == nullptr || dst == nullptr || size == 0) return const_cast<char*>("[?]");
    std::memset(dst, 0, size);
    // "[<type>:<abonent>:<format>:<plan>]" cut to size - 1 characters; the
    // zero-filled dst terminates it. Plain copies: the parts are texts already.
    const char* const parts[] = {"[", get_description_by_type(0, abonent_type->number_type), ":",
                                 get_description_by_type(1, abonent_type->abonent), ":",
                                 get_description_by_type(2, abonent_type->format), ":",
                                 get_description_by_type(3, abonent_type->plan), "]"};
    const std::size_t limit = size - 1u;
    std::size_t used = 0;
    for (const char* part : parts)
        for (; *part != '\0' && used < limit; ++part) dst[used++] = *part;
    return dst;
}
