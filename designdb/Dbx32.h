/*
 * The design-database exchange interface: the records that the design tool's
 * library fills and the eleven calls that walk the open design and highlight a
 * component. Usable from C and C++.
 *
 * Every call returns 0 on success. Texts are zero-terminated single-byte
 * strings stored inside their record; a text longer than its field is cut so
 * that it always ends with a zero byte inside the field. Capacities (bytes,
 * terminator included) are given beside each field.
 *
 * Design unit: 1/2540 mm. A hole diameter of 2540 is a 1 mm hole.
 */
#ifndef PARTWISE_DESIGNDB_DBX32_H
#define PARTWISE_DESIGNDB_DBX32_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define DBX_CALL __stdcall
#else
#define DBX_CALL /* the platform's only calling convention */
#endif

#if defined(DBX32_BUILDING_LIBRARY)
#define DBX32_EXPORT __attribute__((visibility("default")))
#else
#define DBX32_EXPORT
#endif

/* In C++ every record is zero-filled when it is created, so a record that no
 * call has filled reads as empty texts and zero numbers. */
#ifdef __cplusplus
#define DBX_ZERO = {}
#else
#define DBX_ZERO
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The library's own state for one open design; opaque to the program. */
typedef struct DesignContext {
    uint32_t opaque[7] DBX_ZERO;
} DesignContext;

#define DBX_REFDES_SIZE 64
#define DBX_PAD_NUMBER_SIZE 32
#define DBX_ATTRIBUTE_NAME_SIZE 64
#define DBX_ATTRIBUTE_VALUE_SIZE 1024
#define DBX_PAD_STYLE_NAME_SIZE 100
#define DBX_TEXT_STYLE_NAME_SIZE 100

typedef struct ComponentRecord {
    uint32_t componentIndex DBX_ZERO;      /* 0: position in the walk */
    char refDes[DBX_REFDES_SIZE] DBX_ZERO; /* 4: reference designator */
    uint32_t generation DBX_ZERO;          /* 68: snapshot the record came from */
    unsigned char reserved[860] DBX_ZERO;
} ComponentRecord;

typedef struct AttributeRecord {
    uint32_t attributeIndex DBX_ZERO;              /* 0: position on its component */
    char name[DBX_ATTRIBUTE_NAME_SIZE] DBX_ZERO;   /* 4: attribute name */
    char value[DBX_ATTRIBUTE_VALUE_SIZE] DBX_ZERO; /* 68: attribute value */
    unsigned char reserved1[52] DBX_ZERO;
    int32_t textStyleId DBX_ZERO; /* 1144: style of its text */
    unsigned char reserved2[64] DBX_ZERO;
} AttributeRecord;

typedef struct PadRecord {
    uint32_t padIndex DBX_ZERO;                   /* 0: position on its component */
    char padNumber[DBX_PAD_NUMBER_SIZE] DBX_ZERO; /* 4: pad number */
    unsigned char reserved1[68] DBX_ZERO;
    int32_t padStyleId DBX_ZERO; /* 104: style for TGetPadStyle */
    unsigned char reserved2[376] DBX_ZERO;
} PadRecord;

typedef struct PadStyleRecord {
    int32_t padStyleId DBX_ZERO; /* 0 */
    unsigned char reserved1[4] DBX_ZERO;
    char name[DBX_PAD_STYLE_NAME_SIZE] DBX_ZERO; /* 8: pad-style name */
    int32_t holeDiameter DBX_ZERO;               /* 108: design units, <= 0: no hole */
    unsigned char reserved2[24] DBX_ZERO;
} PadStyleRecord;

typedef struct TextStyleRecord {
    int32_t textStyleId DBX_ZERO;                 /* 0 */
    char name[DBX_TEXT_STYLE_NAME_SIZE] DBX_ZERO; /* 4: text-style name */
    unsigned char reserved[120] DBX_ZERO;
} TextStyleRecord;

DBX32_EXPORT int32_t DBX_CALL TOpenDesign(int32_t mode, int32_t version, const char* tool,
                                          DesignContext* context);
DBX32_EXPORT int32_t DBX_CALL TCloseDesign(DesignContext* context, const char* reserved);
DBX32_EXPORT int32_t DBX_CALL TGetFirstComponent(DesignContext* context,
                                                 ComponentRecord* component);
DBX32_EXPORT int32_t DBX_CALL TGetNextComponent(DesignContext* context, ComponentRecord* component);
DBX32_EXPORT int32_t DBX_CALL TGetFirstCompAttribute(DesignContext* context, const char* refDes,
                                                     AttributeRecord* attribute);
DBX32_EXPORT int32_t DBX_CALL TGetNextCompAttribute(DesignContext* context,
                                                    AttributeRecord* attribute);
DBX32_EXPORT int32_t DBX_CALL TGetFirstCompPad(DesignContext* context, const char* refDes,
                                               PadRecord* pad);
DBX32_EXPORT int32_t DBX_CALL TGetNextCompPad(DesignContext* context, PadRecord* pad);
DBX32_EXPORT int32_t DBX_CALL TGetPadStyle(DesignContext* context, int32_t padStyleId,
                                           PadStyleRecord* padStyle);
DBX32_EXPORT int32_t DBX_CALL TGetTextStyle(DesignContext* context, int32_t textStyleId,
                                            TextStyleRecord* textStyle);
DBX32_EXPORT int32_t DBX_CALL THighlightComponent(DesignContext* context, int32_t colour,
                                                  ComponentRecord* component);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* The layout is a binary contract with the library. */
#ifdef __cplusplus
#define DBX_STATIC_ASSERT static_assert
#else
#define DBX_STATIC_ASSERT _Static_assert
#endif
DBX_STATIC_ASSERT(sizeof(DesignContext) == 28, "DesignContext size");
DBX_STATIC_ASSERT(sizeof(ComponentRecord) == 932, "ComponentRecord size");
DBX_STATIC_ASSERT(offsetof(ComponentRecord, refDes) == 4, "ComponentRecord refDes");
DBX_STATIC_ASSERT(sizeof(AttributeRecord) == 1212, "AttributeRecord size");
DBX_STATIC_ASSERT(offsetof(AttributeRecord, name) == 4, "AttributeRecord name");
DBX_STATIC_ASSERT(offsetof(AttributeRecord, textStyleId) == 1144, "AttributeRecord textStyleId");
DBX_STATIC_ASSERT(sizeof(PadRecord) == 484, "PadRecord size");
DBX_STATIC_ASSERT(offsetof(PadRecord, padStyleId) == 104, "PadRecord padStyleId");
DBX_STATIC_ASSERT(sizeof(PadStyleRecord) == 136, "PadStyleRecord size");
DBX_STATIC_ASSERT(offsetof(PadStyleRecord, name) == 8, "PadStyleRecord name");
DBX_STATIC_ASSERT(offsetof(PadStyleRecord, holeDiameter) == 108, "PadStyleRecord holeDiameter");
DBX_STATIC_ASSERT(sizeof(TextStyleRecord) == 224, "TextStyleRecord size");
DBX_STATIC_ASSERT(offsetof(TextStyleRecord, name) == 4, "TextStyleRecord name");

#endif /* PARTWISE_DESIGNDB_DBX32_H */
