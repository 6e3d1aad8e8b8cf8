/* SPDX-License-Identifier: LGPL-3.0-or-later */
/*
 * The design-database exchange interface: the records that the design tool's
 * library fills and the eleven calls that walk the open design and highlight a
 * component. Usable from C and C++. This header is the whole contract between
 * the program and the design tool's library: statuses, colour codes, field
 * capacities, the design unit and the arguments that open a design are named
 * here and nowhere else.
 *
 * Ownership: the caller owns every DesignContext and record; the library keeps
 * no pointer to them after a call returns. A context opened by TOpenDesign
 * holds a snapshot of the design inside the library until TCloseDesign (or a
 * new TOpenDesign on the same context) releases it. Texts passed in (tool name,
 * refdes) are only read during the call.
 *
 * Statuses: every call returns DBX_STATUS_OK (0) on success and one of the
 * DBX_STATUS_* codes below otherwise. Any context is accepted, zero-filled,
 * closed, copied or stale: one that holds no open design gives
 * DBX_STATUS_NOT_OPEN. A null record pointer (or a null context or tool name
 * given to TOpenDesign) gives DBX_STATUS_BAD_ARGUMENT; TGetPadStyle and
 * TGetTextStyle check the record before the context, the other calls the
 * context first. A null or unknown refdes gives DBX_STATUS_NO_SUCH_COMPONENT.
 * A walk past its last item, or a next call with no walk started, gives
 * DBX_STATUS_END_OF_WALK. TOpenDesign and THighlightComponent give
 * DBX_STATUS_NO_TOOL when the tool cannot be reached or answers badly;
 * otherwise THighlightComponent gives the tool's answer
 * (DBX_STATUS_HIGHLIGHT_NOT_FOUND: no such component).
 *
 * Records: the call that fills a record zero-fills it first; TGetPadStyle and
 * TGetTextStyle leave it zero-filled when they fail.
 *
 * Text encoding and truncation: texts are zero-terminated byte strings, passed
 * through as the design holds them (UTF-8 from the design tools in use), stored
 * inside their record. A text longer than its field is cut to capacity - 1
 * bytes so that it always ends with a zero byte inside the field; the cut may
 * split a multi-byte character. Capacities (bytes, terminator included) are the
 * DBX_*_SIZE constants.
 *
 * Style ids: pad-style and text-style ids start at 1; 0 means none (an
 * attribute without text of its own).
 *
 * Design unit: 1/DBX_DESIGN_UNITS_PER_MM mm. A hole diameter of 2540 is a
 * 1 mm hole.
 *
 * Threads: calls on different contexts may run on different threads at once;
 * one context must not be used by two threads at the same time.
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

/* Statuses returned by the calls. */
#define DBX_STATUS_OK 0
#define DBX_STATUS_END_OF_WALK 1         /* no first or next item */
#define DBX_STATUS_NOT_OPEN 2            /* the context holds no open design */
#define DBX_STATUS_NO_TOOL 3             /* the tool is not running or did not answer well */
#define DBX_STATUS_NO_SUCH_COMPONENT 4   /* no component has the refdes */
#define DBX_STATUS_NO_SUCH_STYLE 5       /* unknown pad-style or text-style id */
#define DBX_STATUS_BAD_ARGUMENT 6        /* a null pointer */
#define DBX_STATUS_INTERNAL_ERROR 7      /* out of memory or similar */
#define DBX_STATUS_HIGHLIGHT_NOT_FOUND 8 /* the tool found no such component to highlight */

/* Colour codes for THighlightComponent. */
#define DBX_COLOUR_RED 10
#define DBX_COLOUR_YELLOW 12
#define DBX_COLOUR_BLUE 13
#define DBX_COLOUR_CYAN 15
#define DBX_COLOUR_WHITE 16

/* Design units per millimetre. */
#define DBX_DESIGN_UNITS_PER_MM 2540

/* The arguments that open the design of the running tool:
 * TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context). */
#define DBX_OPEN_MODE 0
#define DBX_OPEN_VERSION 16000
#define DBX_OPEN_TOOL "pcb"

/* Field capacities in bytes, terminator included. */
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
