/* board_check: the smallest whole use of mpdll, in plain C. It logs in to a
 * board over telnet, puts the radio into test mode, reads the chip version
 * and the four packet counters, and closes the connection. The same source
 * builds against the Windows SDK and against the Linux install.
 *
 * Usage: board_check HOST[:PORT] USER PASSWORD [PROMPT]   (PROMPT: "# ")
 * Exit code 0 when every step succeeded, 1 when one failed, 2 bad usage. */
#include <mpdll/mpdll.h>
#include <stdio.h>

static int failed(const char* step, int32_t status)
{
    if (status == MPDLL_OK) {
        return 0;
    }
    fprintf(stderr, "%s failed with status %ld\n", step, (long)status);
    return 1;
}

int main(int argc, char** argv)
{
    static DevContext dev; /* zero-filled; the library keeps the connection in it */
    static char version[16384];
    int32_t txOk = 0, txFail = 0, rxOk = 0, crcError = 0;
    int result = 0;

    if (argc < 4 || argc > 5) {
        fprintf(stderr, "usage: board_check HOST[:PORT] USER PASSWORD [PROMPT]\n");
        return 2;
    }
    dev.mode = MPDLL_MODE_TELNET;
    snprintf(dev.ipText, sizeof dev.ipText, "%s", argv[1]);
    snprintf(dev.userName, sizeof dev.userName, "%s", argv[2]);
    snprintf(dev.password, sizeof dev.password, "%s", argv[3]);
    snprintf(dev.prompt, sizeof dev.prompt, "%s", argc == 5 ? argv[4] : "# ");
    snprintf(dev.ifName, sizeof dev.ifName, "wlan0"); /* the chip queries need it */

    if (failed("OpenDev", OpenDev(&dev))) {
        return 1;
    }
    if (failed("EnterMP", EnterMP(&dev)) || failed("GetChipVersion", GetChipVersion(&dev, version))
        || failed("mp_query", mp_query(&dev, &txOk, &txFail, &rxOk, &crcError))) {
        result = 1;
    } else {
        printf("chip version: %s\n", version);
        printf("counters: txOk=%ld txFail=%ld rxOk=%ld crcError=%ld\n", (long)txOk, (long)txFail, (long)rxOk,
               (long)crcError);
    }
    CloseDev(&dev, MPDLL_MODE_TELNET);
    return result;
}
