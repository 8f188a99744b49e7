/* The C implementations of the app functions that device.kivs and
 * units.kivs name. The engine calls them through the generated dispatch
 * function with the script's arguments, defaults already filled in. */
#include <stdio.h>

#include "device.h"
#include "device_state.h"

/* Writes the text form of any script value to standard output. */
static KivRunResult PrintValue(KivEngine *engine, KivDataEntry *value)
{
    char buffer[32];
    size_t size = 0;
    size_t index;
    KivDataEntry *text = KivToString(engine, value);
    if (text == NULL)
        return KivRunResult_OutOfDataMemory;
    KivStringValue(engine, text, &size, NULL, 0, 0);
    for (index = 0; index < size; index += sizeof buffer) {
        size_t count = size - index < sizeof buffer ? size - index : sizeof buffer;
        KivStringValue(engine, text, NULL, buffer, index, sizeof buffer);
        fwrite(buffer, 1, count, stdout);
    }
    KivUnref(engine, text);
    return KivRunResult_OK;
}

KivRunResult DeviceGreet(KivEngine *engine, KivDataEntry *name,
                         KivDataEntry *greeting, KivDataEntry **returnValue)
{
    KivRunResult result = PrintValue(engine, greeting);
    (void)returnValue;  /* returns None */
    if (result != KivRunResult_OK)
        return result;
    fputs(", ", stdout);
    result = PrintValue(engine, name);
    fputs("!\n", stdout);
    return result;
}

KivRunResult DeviceSetLevel(KivEngine *engine, KivDataEntry *level,
                            KivDataEntry *fade, KivDataEntry **returnValue)
{
    DeviceState *device = (DeviceState *)KivContext(engine);
    double newLevel;
    double seconds;
    (void)returnValue;
    if (!KivFloatValue(level, &newLevel) || !KivFloatValue(fade, &seconds))
        return KivRunResult_UnexpectedType;
    if (newLevel < 0.0 || newLevel > DEVICE_MAX_LEVEL)
        return KivRunResult_UnexpectedType;
    device->level = newLevel;
    device->levelCalls++;
    printf("Level %g, fading over %g s\n", newLevel, seconds);
    return KivRunResult_OK;
}

/* values holds every positional argument of the call, as a tuple. */
KivRunResult DeviceReport(KivEngine *engine, KivDataEntry *values,
                          KivDataEntry **returnValue)
{
    int32_t count = 0;
    int32_t i;
    KivRunResult result = KivCount(engine, values, &count);
    (void)returnValue;
    if (result != KivRunResult_OK)
        return result;
    printf("Report of %d value%s:", (int)count, count == 1 ? "" : "s");
    for (i = 0; i < count; i++) {
        fputs(i == 0 ? " " : ", ", stdout);
        result = PrintValue(engine, KivElement(engine, values, i));
        if (result != KivRunResult_OK)
            return result;
    }
    fputs("\n", stdout);
    return KivRunResult_OK;
}

KivRunResult UnitsPercent(KivEngine *engine, KivDataEntry *part,
                          KivDataEntry *whole, KivDataEntry **returnValue)
{
    double partValue;
    double wholeValue;
    (void)engine;
    (void)returnValue;
    if (!KivFloatValue(part, &partValue) || !KivFloatValue(whole, &wholeValue) ||
        wholeValue == 0.0)
        return KivRunResult_UnexpectedType;
    printf("%g of %g is %g%%\n", partValue, wholeValue,
           100.0 * partValue / wholeValue);
    return KivRunResult_OK;
}
