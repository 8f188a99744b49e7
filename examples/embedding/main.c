/* The embedding example's application: loads a compiled script (*.kive)
 * into the engine with the application's own spec, runs it to the end and
 * reports what the script left in the device state.
 *
 *   device SCRIPT.kive [ARG]...   */
#include <stdio.h>
#include <stdlib.h>

#include "device.h"
#include "device_state.h"

/* Data entries the engine may use for the script's values. */
#define DATA_ENTRY_COUNT 512

/* Reads a whole file into a new buffer; NULL if it cannot. */
static uint8_t *ReadFile(const char *path, size_t *size)
{
    FILE *file = fopen(path, "rb");
    uint8_t *bytes = NULL;
    long length;
    if (file == NULL)
        return NULL;
    if (fseek(file, 0, SEEK_END) == 0 && (length = ftell(file)) > 0 &&
        fseek(file, 0, SEEK_SET) == 0) {
        bytes = (uint8_t *)malloc((size_t)length);
        if (bytes != NULL && fread(bytes, 1, (size_t)length, file) != (size_t)length) {
            free(bytes);
            bytes = NULL;
        }
        *size = (size_t)length;
    }
    fclose(file);
    return bytes;
}

int main(int argc, char **argv)
{
    static KivEngine engine;
    DeviceState device = {0.0, 0};
    size_t codeSize = 0;
    uint8_t *code;
    void *data;
    size_t dataSize = KivDataEntrySize() * DATA_ENTRY_COUNT;
    KivRunResult result;
    KivAddCodeResult added;
    int status = 0;

    if (argc < 2) {
        fputs("Usage: device SCRIPT.kive [ARG]...\n", stderr);
        return 1;
    }
    code = ReadFile(argv[1], &codeSize);
    if (code == NULL) {
        fprintf(stderr, "Cannot read %s\n", argv[1]);
        return 1;
    }
    data = malloc(dataSize);
    if (data == NULL) {
        free(code);
        return 1;
    }

    /* Without a code area the engine runs the code from our buffer, which
     * therefore stays allocated until the engine is reset. */
    result = KivInitialize(&engine, NULL, 0, data, dataSize, &KivAppSpec_device,
                           &device);
    added = result == KivRunResult_OK ? KivSealCode(&engine, code, codeSize)
                                      : KivAddCodeResult_OK;
    if (result != KivRunResult_OK) {
        fprintf(stderr, "Engine initialization failed: %d\n", (int)result);
        status = 2;
    } else if (added == KivAddCodeResult_InvalidCheckValue) {
        fprintf(stderr, "%s was compiled against another app spec\n", argv[1]);
        status = 2;
    } else if (added != KivAddCodeResult_OK) {
        fprintf(stderr, "Loading %s failed: %d\n", argv[1], (int)added);
        status = 2;
    } else {
        result = KivSetArguments(&engine, (const char *const *)(argv + 1));
        while (result == KivRunResult_OK)
            result = KivStep(&engine);
        if (result == KivRunResult_Complete) {
            printf("Final level %g after %d change%s\n", device.level,
                   device.levelCalls, device.levelCalls == 1 ? "" : "s");
        } else {
            fprintf(stderr, "Script failed with run result %d at %zu\n",
                    (int)result, KivProgramCounter(&engine));
            status = 2;
        }
    }
    KivReset(&engine);
    free(data);
    free(code);
    return status;
}
