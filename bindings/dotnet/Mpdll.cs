// Mpdll.cs: the .NET binding of mpdll in one source file to add to a station
// program (compile it with unsafe code allowed: mcs -unsafe, csc /unsafe, or
// <AllowUnsafeBlocks>true</AllowUnsafeBlocks>).
//
//   Native      every export of include/mpdll/mpdll.h as a DllImport
//   DevContext  the record, laid out as the C compiler lays it out
//   Board       one board: open and close (IDisposable), typed results,
//               MpdllException carrying the status and its meaning
//
//   using (var board = Board.Telnet("192.168.1.1", "root", "secret").Open()) {
//       board.EnterTestMode();
//       Console.WriteLine(board.FlashGet("XCAP"));
//   }
//
// The library is "mpdll": mpdll.dll on Windows (the 32-bit product; the
// program must run as a 32-bit process), libmpdll.so on Linux. Every export
// is stdcall; on 32-bit Windows the DLL exports decorated names
// (_OpenDev@4), which the runtime finds by itself for a stdcall import when
// the plain name is absent: each declaration below takes exactly the
// argument bytes of its decorated name (4 per argument).
//
// The record must stay at one address from OpenDev to CloseDev (the library
// keeps per-record state keyed by it): Board keeps it in unmanaged memory;
// a caller of Native keeps it in unmanaged memory (DevContext.Allocate) or in
// a local of the method that runs the whole session, never in a field of a
// managed object, which the collector may move.
//
// Threads: calls on different records may run at the same time on different
// threads; the calls on one record take turns (one thread at a time per
// record). What the library keeps for the whole process is the last exchange,
// the line sent and the answer received (lastSent, lastReceived), behind a
// lock: GetBuffer shows the last exchange of any record on any thread, so it
// shows a call of one's own only when no other record's call ran between that
// call and GetBuffer.
//
// Board adds no lock of its own: LastExchange reads GetBuffer as it stands.
using System;
using System.Runtime.InteropServices;
using System.Text;

namespace Mpdll
{
    /// <summary>The library's status codes and what each means.</summary>
    public static class Status
    {
        public const int Ok = 0;
        public const int Mode = -30000;
        public const int CommandId = -30001;
        public const int Transport = -30002;
        public const int SerialTimeout = -30003;
        public const int Reply = -30004;
        public const int OpenMode = -30005;
        public const int Open = -30006;
        public const int Argument = -30007;

        /// <summary>The words a program prints for a status (MPDLL_STATUS_LIST of the header).</summary>
        public static string Meaning(int status)
        {
            switch (status) {
            case Ok: return "success";
            case Mode: return "the connection mode is none of UDP, telnet and serial";
            case CommandId: return "command identifier not in the command catalogue";
            case Transport: return "transport failure: socket wait, UDP send or receive, serial write or read";
            case SerialTimeout: return "serial receive: no prompt within 5000 ms, or the port status cannot be read";
            case Reply: return "the board's answer failed its test";
            case OpenMode: return "open with a connection mode other than UDP, telnet and serial";
            case Open: return "the telnet or serial connection could not be made, or CloseDev was given an invalid record";
            case Argument: return "an argument is missing or too long for its buffer; nothing was sent";
            }
            return status > 0 ? "socket error " + status + " of a failed telnet send or receive" : "unknown status " + status;
        }
    }

    /// <summary>Connection modes (DevContext.mode, the bits of openFlags and of CloseDev's which)
    /// and the board's UDP command port (MPDLL_UDP_PORT).</summary>
    public static class ConnectionMode
    {
        public const int Udp = 1;
        public const int Telnet = 2;
        public const int Serial = 4;
        public const int UdpPort = 9034;
    }

    /// <summary>The header's buffer and field sizes in bytes, terminator included
    /// (MPDLL_COMMAND_SIZE and the others: each constant is its macro's name).</summary>
    public static class Sizes
    {
        public const int CommandSize = 2048;   // one command line
        public const int ResponseSize = 16384; // one answer
        public const int MacTextSize = 18;     // an address "aa:bb:cc:dd:ee:ff"
        public const int FieldSize = 50;       // chipModel, toolPath, ifName, prompt
        public const int IpTextSize = 20;
        public const int LoginTextSize = 20;   // userName, password
        public const int FirstCommandSize = 100;
    }

    /// <summary>Parity codes of MpdllSetSerialLine (MPDLL_PARITY_NONE and the others).</summary>
    public enum SerialParity
    {
        None = 0,
        Odd = 1,
        Even = 2,
        Mark = 3,
        Space = 4,
    }

    /// <summary>Stop-bit codes of MpdllSetSerialLine (MPDLL_STOP_BITS_ONE and the others).</summary>
    public enum SerialStopBits
    {
        One = 0,
        OneAndHalf = 1,
        Two = 2,
    }

    /// <summary>Flow control codes of MpdllSetSerialLine (MPDLL_FLOW_NONE and the others).</summary>
    public enum SerialFlow
    {
        None = 0,
        Rtscts = 1,  // hardware: RTS and CTS
        Xonxoff = 2, // software: XON and XOFF
    }

    /// <summary>Wait values of SendCommand, TelnetRcv, SerialRcv and RcvPrompt; above 0 a delay in ms.</summary>
    public static class Wait
    {
        public const int None = -123;  // no delay, collect until the prompt
        public const int Quiet = -124; // take the first burst once the line is quiet
    }

    /// <summary>An IPv4 socket address (16 bytes): family, port and address in network byte order.</summary>
    [StructLayout(LayoutKind.Sequential)]
    public unsafe struct MpSockAddrIn
    {
        public ushort family;
        public ushort port;
        public uint address;
        public fixed byte zero[8];
    }

    /// <summary>Serial port time-outs in milliseconds, laid out like COMMTIMEOUTS.</summary>
    [StructLayout(LayoutKind.Sequential)]
    public struct MpCommTimeouts
    {
        public uint ReadIntervalTimeout;
        public uint ReadTotalTimeoutMultiplier;
        public uint ReadTotalTimeoutConstant;
        public uint WriteTotalTimeoutMultiplier;
        public uint WriteTotalTimeoutConstant;
    }

    /// <summary>Serial line settings, laid out like the Windows DCB (28 bytes). The C
    /// bit-fields share the 32-bit word Flags, lowest bit first; a property per field.</summary>
    [StructLayout(LayoutKind.Sequential)]
    public struct MpDcb
    {
        public uint DCBlength;
        public uint BaudRate;
        public uint Flags;
        public ushort wReserved;
        public ushort XonLim;
        public ushort XoffLim;
        public byte ByteSize;
        public byte Parity;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
        public byte StopBits; // 0 one, 1 one and a half, 2 two
        public byte XonChar;
        public byte XoffChar;
        public byte ErrorChar;
        public byte EofChar;
        public byte EvtChar;
        public ushort wReserved1;

        private uint Bits(int first, int width) { return (Flags >> first) & ((1u << width) - 1); }

        private void SetBits(int first, int width, uint value)
        {
            uint mask = ((1u << width) - 1) << first;
            Flags = (Flags & ~mask) | ((value << first) & mask);
        }

        public uint fBinary { get { return Bits(0, 1); } set { SetBits(0, 1, value); } }
        public uint fParity { get { return Bits(1, 1); } set { SetBits(1, 1, value); } }
        public uint fOutxCtsFlow { get { return Bits(2, 1); } set { SetBits(2, 1, value); } }
        public uint fOutxDsrFlow { get { return Bits(3, 1); } set { SetBits(3, 1, value); } }
        public uint fDtrControl { get { return Bits(4, 2); } set { SetBits(4, 2, value); } }
        public uint fDsrSensitivity { get { return Bits(6, 1); } set { SetBits(6, 1, value); } }
        public uint fTXContinueOnXoff { get { return Bits(7, 1); } set { SetBits(7, 1, value); } }
        public uint fOutX { get { return Bits(8, 1); } set { SetBits(8, 1, value); } }
        public uint fInX { get { return Bits(9, 1); } set { SetBits(9, 1, value); } }
        public uint fErrorChar { get { return Bits(10, 1); } set { SetBits(10, 1, value); } }
        public uint fNull { get { return Bits(11, 1); } set { SetBits(11, 1, value); } }
        public uint fRtsControl { get { return Bits(12, 2); } set { SetBits(12, 2, value); } }
        public uint fAbortOnError { get { return Bits(14, 1); } set { SetBits(14, 1, value); } }
        public uint fDummy2 { get { return Bits(15, 17); } set { SetBits(15, 17, value); } }
    }

    /// <summary>The device context record of one board. Sockets are 32-bit (a file
    /// descriptor on Linux, the SOCKET of the 32-bit DLL), handles and portName
    /// pointer-sized: 16900 bytes in a 32-bit process, with the C header's offsets
    /// (see the SDK's README.txt), and the C compiler's layout on 64-bit Linux.
    /// The 64-bit Windows test build, whose SOCKET is 64-bit, is not served.</summary>
    [StructLayout(LayoutKind.Sequential)]
    public unsafe struct DevContext
    {
        public int udpAuxSocket;
        public int udpSocket;
        public MpSockAddrIn udpPeer;
        public IntPtr cmdMutex;
        public uint reserved1;
        public IntPtr cmdEvent;
        public IntPtr cmdDoneEvent;
        public int udpStop;
        public fixed byte udpArea[16392];
        public int cmdTimeout;
        public int telnetSocket;
        public MpSockAddrIn telnetPeer;
        public fixed byte ipText[Sizes.IpTextSize];
        public int recvTimeout;
        public int sendTimeout;
        public fixed byte userName[Sizes.LoginTextSize];
        public fixed byte password[Sizes.LoginTextSize];
        public fixed byte firstCommand[Sizes.FirstCommandSize];
        public IntPtr serialHandle;
        public IntPtr portName; // char*: the caller's text, alive until CloseDev
        public uint inQueueSize;
        public uint outQueueSize;
        public MpCommTimeouts commTimeouts;
        public MpDcb dcb;
        public uint openFlags;
        public int mode;
        public fixed byte chipModel[Sizes.FieldSize];
        public fixed byte toolPath[Sizes.FieldSize];
        public fixed byte ifName[Sizes.FieldSize];
        public fixed byte prompt[Sizes.FieldSize];

        /// <summary>A zero-filled record in unmanaged memory, where it never moves;
        /// give it back with Marshal.FreeHGlobal after CloseDev.</summary>
        public static DevContext* Allocate()
        {
            if (IntPtr.Size == 8 && Environment.OSVersion.Platform == PlatformID.Win32NT)
                throw new PlatformNotSupportedException("the 64-bit Windows test build's record has 64-bit sockets");
            var record = (DevContext*)Marshal.AllocHGlobal(sizeof(DevContext));
            *record = new DevContext();
            return record;
        }

        /// <summary>Writes text and its terminator into a fixed text field of fieldSize
        /// bytes; ArgumentException when it does not fit (it is not cut).</summary>
        public static void PutText(byte* field, int fieldSize, string text, string fieldName)
        {
            byte[] bytes = LibraryText.Encode(text);
            if (bytes.Length + 1 > fieldSize)
                throw new ArgumentException(fieldName + " holds at most " + (fieldSize - 1) + " characters: " + text);
            if (Array.IndexOf(bytes, (byte)0) >= 0)
                throw new ArgumentException(fieldName + " cannot hold a NUL character");
            Marshal.Copy(bytes, 0, (IntPtr)field, bytes.Length);
            field[bytes.Length] = 0;
        }
    }

    /// <summary>Texts to and from the library: one byte per character (Latin-1), NUL-terminated.</summary>
    public static class LibraryText
    {
        private static readonly Encoding Latin1 = Encoding.GetEncoding("iso-8859-1");

        public static byte[] Encode(string text) { return Latin1.GetBytes(text ?? ""); }

        /// <summary>The text of an output buffer up to its first NUL.</summary>
        public static string Decode(byte[] buffer)
        {
            int end = Array.IndexOf(buffer, (byte)0);
            return Latin1.GetString(buffer, 0, end < 0 ? buffer.Length : end);
        }
    }

    /// <summary>Every export of the library, as declared in include/mpdll/mpdll.h.
    /// Outputs are byte arrays of the sizes the header names; LibraryText.Decode reads them.</summary>
    public static class Native
    {
        public const string Library = "mpdll";
        private const CallingConvention Convention = CallingConvention.StdCall;
        private const CharSet Ansi = CharSet.Ansi;

        // Record, open and close.
        [DllImport(Library, CallingConvention = Convention)]
        public static extern IntPtr DevTimeout(ref DevContext dev, int timeoutMs);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int OpenDev(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int CloseDev(ref DevContext dev, uint which);

        // Telnet and serial transports.
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int TelnetSnd(ref DevContext dev, string data, int length);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int TelnetRcv(ref DevContext dev, byte[] buffer, int bufferSize, out int receivedLength, int wait);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int RcvPrompt(ref DevContext dev, string text, int wait);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int TelnetNegotiate(byte[] received, int receivedSize, byte[] reply, out int replyLength);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int TelnetReplay(byte[] sequence, int sequenceLength, byte[] reply, out int replyLength);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int SerialSnd(ref DevContext dev, string data, int length);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int SerialRcv(ref DevContext dev, byte[] buffer, int bufferSize, out int receivedLength, int wait);

        // Command execution and response texts.
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int SendCommand(ref DevContext dev, string command, byte[] response, int responseSize,
                                             int keepPrompt, int wait);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int FormatReceiveData(string raw, string command, string prompt, byte[] output, int keepPrompt);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int GetBuffer(IntPtr dev, byte[] sentOut, int sentSize, byte[] receivedOut, int receivedSize);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int FormatBuffer(string text, byte[] output, int outputSize);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int IsBufferOk(string text);

        // Test-mode entry and the command text builder (outputs: Sizes.CommandSize bytes).
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int EnterMP(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_command_d2s(ref DevContext dev, byte[] ifNameOut, byte[] toolNameOut, ref int chipFlag);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_command_s2s(ref DevContext dev, string text, byte[] output);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_command_c2s(ref DevContext dev, uint commandId, byte[] output, int raw);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_rate_s2i(string rateText);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_channel_s2i(string channelText);

        // Chip capability (outputs: Sizes.ResponseSize bytes).
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int GetHwSupport(ref DevContext dev, byte[] supportText);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int GetChipVersion(ref DevContext dev, byte[] versionText);

        // Setting commands.
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_start(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_stop(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_rate(ref DevContext dev, string rate);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_channel(ref DevContext dev, string channel);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_bandwidth(ref DevContext dev, int bw40, int shortGI);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_txpower(ref DevContext dev, int pathA, int pathB);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_txpower_a(ref DevContext dev, string power);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_phypara(ref DevContext dev, int xcap);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_bssid(ref DevContext dev, string bssid);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_ant_tx(ref DevContext dev, string antenna);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_ant_rx(ref DevContext dev, string antenna);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_arx(ref DevContext dev, string word);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_ctx(ref DevContext dev, string word);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_pwrtrk(ref DevContext dev, string word);

        // Receive filter commands (address outputs: Sizes.MacTextSize bytes each).
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_arx_start(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_arx_stop(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_arx_filter_init(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_arx_filter_clean(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_arx_filter_da(ref DevContext dev, string address);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_arx_filter_sa(ref DevContext dev, string address);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int mp_arx_filter_bssid(ref DevContext dev, string address);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_arx_filter_print(ref DevContext dev, byte[] daOut, byte[] saOut, byte[] bssidOut);

        // Counter and sensor queries.
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_query(ref DevContext dev, out int txOk, out int txFail, out int rxOk, out int crcError);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_ther(ref DevContext dev, out int thermal);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_tssi(ref DevContext dev, out int tssi);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_pwrtrk_start(ref DevContext dev, int thermal);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int mp_pwrtrk_stop(ref DevContext dev);

        // Transmit and receive tests, power tracking.
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int TxStart(ref DevContext dev, uint txMode, int bw40, int shortGI, string channel, string rate,
                                         string antenna, int powerA, int powerB, int count, int time);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int TxStop(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int RxStart(ref DevContext dev, int bw40, int shortGI, string channel, string antenna);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int RxStartWithFilter(ref DevContext dev, int bw40, int shortGI, string channel, string antenna,
                                                   string filterDA, string filterSA, string filterBSSID);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int RxQuery(ref DevContext dev, out int rxOk, out int crcError);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int RxResetCounter(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int RxStop(ref DevContext dev);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int PowerTrackingOn(ref DevContext dev, int thermal);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int PowerTrackingQuery(ref DevContext dev, out int thermalOut);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int PowerTrackingOff(ref DevContext dev);

        // Flash parameters and RF registers (valueOut: Sizes.ResponseSize bytes).
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int FlashGet(ref DevContext dev, string paramName, byte[] valueOut);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int FlashSet(ref DevContext dev, string paramName, string paramValue);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int RegisterGet(ref DevContext dev, int regSel1, int regSel2, out uint regValueOut);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int RegisterSet(ref DevContext dev, int regSel1, int regSel2, uint regValue);

        // Transmit power index tables: pure conversions, no record.
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int Hex2Dec(int count, string hexText, [In, Out] int[] values);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int DecPowerIndex(int count, string hexPlain1, string hexPlain2, string hexBaseA, string hexBaseB,
                                               string hexDiff1, string hexDiff2, string hexDiff3,
                                               [In, Out] int[] plain1, [In, Out] int[] plain2, [In, Out] int[] baseA,
                                               [In, Out] int[] baseB, [In, Out] int[] group1A, [In, Out] int[] group1B,
                                               [In, Out] int[] group2A, [In, Out] int[] group2B, [In, Out] int[] group3A,
                                               [In, Out] int[] group3B);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int HexPowerIndex(int count, int[] plain1, int[] plain2, int[] baseA, int[] baseB,
                                               int[] group1A, int[] group1B, int[] group2A, int[] group2B,
                                               int[] group3A, int[] group3B, byte[] hexPlain1, byte[] hexPlain2,
                                               byte[] hexBaseA, byte[] hexBaseB, byte[] hexDiff1, byte[] hexDiff2,
                                               byte[] hexDiff3);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern byte DiffDec2Hex(string decimalText);
        [DllImport(Library, CallingConvention = Convention, CharSet = Ansi)]
        public static extern int DiffHex2Dec(string pair, int highDigit);

        // Extensions: every byte of every record to a handler, why a record's
        // open failed, the library's version, the password masked in a text,
        // the serial line settings, the settle after the prompt. Keep the
        // delegate alive (in a field) for as long as it is set.
        [UnmanagedFunctionPointer(Convention)]
        public delegate void LogHandler(IntPtr context, IntPtr dev, int kind, int status, IntPtr bytes, int length,
                                        uint elapsedMs);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int MpdllSetLogHandler(LogHandler handler, IntPtr context);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int MpdllOpenFailure(IntPtr dev, byte[] step, int stepSize, byte[] reason, int reasonSize,
                                                  byte[] lastHeard, int lastHeardSize);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern IntPtr MpdllLibraryVersion();
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int MpdllMaskSecret([In, Out] byte[] text, int length, byte[] secret);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int MpdllSetSerialLine(ref DevContext dev, uint baud, int dataBits, int parity, int stopBits,
                                                    int flow);
        [DllImport(Library, CallingConvention = Convention)]
        public static extern int MpdllSetPromptSettle(ref DevContext dev, int milliseconds);
    }

    /// <summary>A failed call: the export, its status and what the status means.</summary>
    public class MpdllException : Exception
    {
        public MpdllException(string operation, int status)
            : base(operation + " failed: " + status + ": " + Status.Meaning(status))
        {
            Operation = operation;
            StatusCode = status;
            Meaning = Status.Meaning(status);
        }

        public string Operation { get; private set; }
        public int StatusCode { get; private set; }
        public string Meaning { get; private set; }
    }

    /// <summary>The four packet counters of mp_query.</summary>
    public struct PacketCounters
    {
        public int TxOk, TxFail, RxOk, CrcError;
    }

    /// <summary>The receive test's counters (RxQuery).</summary>
    public struct RxCounters
    {
        public int RxOk, CrcError;
    }

    /// <summary>What GetBuffer holds: the process's last line sent and last raw answer.</summary>
    public struct Exchange
    {
        public string Sent, Received;
    }

    /// <summary>Transmit modes of TxStart.</summary>
    public enum TxMode : uint
    {
        Packet = 0,
        Background = 1,
        Stone = 2,
        CarrierSuppression = 3,
    }

    /// <summary>One board and its connection. Make one with Telnet, Udp or Serial, then
    /// Open it; Dispose closes the connection and frees the record.</summary>
    public sealed unsafe class Board : IDisposable
    {
        private DevContext* record;
        private readonly int mode;
        private IntPtr portName;
        private bool open;
        private int promptSettleMs;

        /// <summary>The longest PromptSettleMs (MPDLL_PROMPT_SETTLE_MAX_MS).</summary>
        public const int PromptSettleMaxMs = 2000;

        private Board(int mode, string prompt, string description)
        {
            record = DevContext.Allocate();
            this.mode = mode;
            Description = description;
            try {
                DevContext.PutText(record->prompt, Sizes.FieldSize, prompt, "prompt");
                SetBoardNames("wlan0", "", "");
            } catch {
                Release();
                throw;
            }
        }

        ~Board() { Release(); }

        public string Description { get; private set; }
        public bool IsOpen { get { return open; } }

        /// <summary>The record the library works on; it stays in place until Dispose.</summary>
        public DevContext* Record { get { return Live(); } }

        /// <summary>A board reached by telnet at host (port 23 unless port is given).</summary>
        public static Board Telnet(string host, string user, string password, int port = 0, string prompt = "# ")
        {
            var board = new Board(ConnectionMode.Telnet, prompt, "telnet " + host + (port > 0 ? ":" + port : ""));
            try {
                DevContext* r = board.record;
                DevContext.PutText(r->ipText, Sizes.IpTextSize, port > 0 ? host + ":" + port : host, "ipText");
                DevContext.PutText(r->userName, Sizes.LoginTextSize, user, "userName");
                DevContext.PutText(r->password, Sizes.LoginTextSize, password, "password");
            } catch {
                board.Dispose();
                throw;
            }
            return board;
        }

        /// <summary>A board reached through its UDP command endpoint (port ConnectionMode.UdpPort) at an IPv4 address.</summary>
        public static Board Udp(string address, string prompt = "# ")
        {
            var board = new Board(ConnectionMode.Udp, prompt, "udp " + address);
            board.record->udpPeer.address = BitConverter.ToUInt32(System.Net.IPAddress.Parse(address).GetAddressBytes(), 0);
            return board;
        }

        /// <summary>A board reached through its serial console (by default 8 data bits, no
        /// parity, one stop bit, no flow control); reads return what the port holds. The
        /// library fills the line settings (MpdllSetSerialLine): ArgumentException when it
        /// refuses them (baud 0, data bits outside 5 to 8).</summary>
        public static Board Serial(string device, uint baud = 115200, string prompt = "# ", int dataBits = 8,
                                   SerialParity parity = SerialParity.None, SerialStopBits stopBits = SerialStopBits.One,
                                   SerialFlow flow = SerialFlow.None)
        {
            var board = new Board(ConnectionMode.Serial, prompt, "serial " + device);
            DevContext* r = board.record;
            board.portName = Marshal.StringToHGlobalAnsi(device);
            r->portName = board.portName;
            r->sendTimeout = 1000;
            r->commTimeouts.ReadIntervalTimeout = 0xFFFFFFFF;
            r->commTimeouts.WriteTotalTimeoutMultiplier = 100;
            r->commTimeouts.WriteTotalTimeoutConstant = 500;
            int status = Native.MpdllSetSerialLine(ref *r, baud, dataBits, (int)parity, (int)stopBits, (int)flow);
            if (status != Status.Ok) {
                board.Dispose();
                throw new ArgumentException("the library refuses the serial line (MpdllSetSerialLine: " + status +
                                            "): baud must be above 0 and data bits 5 to 8, not " + baud + " and " + dataBits);
            }
            return board;
        }

        /// <summary>The board's wireless interface name (wlan0 unless set here), the path
        /// of its test tool ("" keeps iwpriv) and its chip model ("" for none).</summary>
        public void SetBoardNames(string ifName, string toolPath, string chipModel)
        {
            DevContext* r = Live();
            DevContext.PutText(r->ifName, Sizes.FieldSize, ifName, "ifName");
            DevContext.PutText(r->toolPath, Sizes.FieldSize, toolPath, "toolPath");
            DevContext.PutText(r->chipModel, Sizes.FieldSize, chipModel, "chipModel");
        }

        /// <summary>How long each line's answer waits for the board to be quiet after its
        /// prompt, in ms (MpdllSetPromptSettle): for a telnet or serial board whose answers
        /// can hold the prompt's text at the end of a write. 0, the default, ends an answer at
        /// its prompt; every answer costs the settle once more. Kept by the board and applied
        /// at each Open (at once when open). ArgumentOutOfRangeException outside 0 to
        /// PromptSettleMaxMs; InvalidOperationException for a UDP board.</summary>
        public int PromptSettleMs
        {
            get { return promptSettleMs; }
            set
            {
                if (value < 0 || value > PromptSettleMaxMs)
                    throw new ArgumentOutOfRangeException("value", value, "the settle is 0 to " + PromptSettleMaxMs + " ms");
                if (mode == ConnectionMode.Udp)
                    throw new InvalidOperationException("a UDP board has no prompt to settle after: " + Description);
                if (open)
                    Run("MpdllSetPromptSettle", Native.MpdllSetPromptSettle(ref *Live(), value));
                promptSettleMs = value;
            }
        }

        /// <summary>Opens the connection (OpenDev); telnet logs in.</summary>
        public Board Open()
        {
            DevContext* r = Live();
            if (!open) {
                r->mode = mode;
                Run("OpenDev", Native.OpenDev(ref *r));
                open = true;
                if (promptSettleMs > 0)
                    Run("MpdllSetPromptSettle", Native.MpdllSetPromptSettle(ref *r, promptSettleMs));
            }
            return this;
        }

        /// <summary>Closes the connection (CloseDev); closing a closed board does nothing.</summary>
        public void Close()
        {
            if (open) {
                open = false;
                Run("CloseDev", Native.CloseDev(ref *record, record->openFlags));
            }
        }

        public void Dispose()
        {
            Release();
            GC.SuppressFinalize(this);
        }

        private void Release()
        {
            if (record == null)
                return;
            if (open) {
                open = false;
                Native.CloseDev(ref *record, record->openFlags);
            }
            Marshal.FreeHGlobal((IntPtr)record);
            record = null;
            if (portName != IntPtr.Zero) {
                Marshal.FreeHGlobal(portName);
                portName = IntPtr.Zero;
            }
        }

        private DevContext* Live()
        {
            if (record == null)
                throw new ObjectDisposedException(Description);
            return record;
        }

        private DevContext* OpenRecord(string operation)
        {
            DevContext* r = Live();
            if (!open)
                throw new InvalidOperationException(operation + " needs an open board: " + Description);
            return r;
        }

        // Every call's status passes here: the one place to hand a call's
        // outcome to a log as well.
        private static void Run(string operation, int status)
        {
            if (status != Status.Ok)
                throw new MpdllException(operation, status);
        }

        // ---- Operations --------------------------------------------------------

        /// <summary>Runs one shell command line and returns its answer without the echo
        /// and (unless keepPrompt) the prompt (SendCommand).</summary>
        public string Send(string command, bool keepPrompt = false, int wait = 0)
        {
            var response = new byte[Sizes.ResponseSize];
            Run("SendCommand", Native.SendCommand(ref *OpenRecord("SendCommand"), command, response, Sizes.ResponseSize,
                                                  keepPrompt ? 1 : 0, wait));
            return LibraryText.Decode(response);
        }

        /// <summary>Puts the radio into test mode (EnterMP); over UDP it sends nothing.</summary>
        public void EnterTestMode() { Run("EnterMP", Native.EnterMP(ref *OpenRecord("EnterMP"))); }

        /// <summary>Sets bandwidth, channel, rate, antenna and power, then starts
        /// transmitting (TxStart); count and time 0 mean no limit.</summary>
        public void TxStart(string channel, string rate, TxMode txMode = TxMode.Packet, int bw40 = 0, int shortGI = 0,
                            string antenna = "A", int powerA = 30, int powerB = 30, int count = 0, int time = 0)
        {
            Run("TxStart", Native.TxStart(ref *OpenRecord("TxStart"), (uint)txMode, bw40, shortGI, channel, rate, antenna,
                                          powerA, powerB, count, time));
        }

        public void TxStop() { Run("TxStop", Native.TxStop(ref *OpenRecord("TxStop"))); }

        /// <summary>Sets bandwidth, channel and antenna and starts counting (RxStart).</summary>
        public void RxStart(string channel, int bw40 = 0, int shortGI = 0, string antenna = "A")
        {
            Run("RxStart", Native.RxStart(ref *OpenRecord("RxStart"), bw40, shortGI, channel, antenna));
        }

        public RxCounters RxQuery()
        {
            var counters = new RxCounters();
            Run("RxQuery", Native.RxQuery(ref *OpenRecord("RxQuery"), out counters.RxOk, out counters.CrcError));
            return counters;
        }

        public void RxStop() { Run("RxStop", Native.RxStop(ref *OpenRecord("RxStop"))); }

        /// <summary>The four packet counters (mp_query).</summary>
        public PacketCounters Query()
        {
            var c = new PacketCounters();
            Run("mp_query", Native.mp_query(ref *OpenRecord("mp_query"), out c.TxOk, out c.TxFail, out c.RxOk, out c.CrcError));
            return c;
        }

        /// <summary>The thermal meter reading (mp_ther).</summary>
        public int Thermal()
        {
            int thermal;
            Run("mp_ther", Native.mp_ther(ref *OpenRecord("mp_ther"), out thermal));
            return thermal;
        }

        public int Tssi()
        {
            int tssi;
            Run("mp_tssi", Native.mp_tssi(ref *OpenRecord("mp_tssi"), out tssi));
            return tssi;
        }

        /// <summary>A flash parameter's value (FlashGet).</summary>
        public string FlashGet(string name)
        {
            var value = new byte[Sizes.ResponseSize];
            Run("FlashGet", Native.FlashGet(ref *OpenRecord("FlashGet"), name, value));
            return LibraryText.Decode(value);
        }

        public void FlashSet(string name, string value)
        {
            Run("FlashSet", Native.FlashSet(ref *OpenRecord("FlashSet"), name, value));
        }

        /// <summary>An RF register's value (RegisterGet).</summary>
        public uint RegisterGet(int selector1, int selector2)
        {
            uint value;
            Run("RegisterGet", Native.RegisterGet(ref *OpenRecord("RegisterGet"), selector1, selector2, out value));
            return value;
        }

        public void RegisterSet(int selector1, int selector2, uint value)
        {
            Run("RegisterSet", Native.RegisterSet(ref *OpenRecord("RegisterSet"), selector1, selector2, value));
        }

        /// <summary>The chip version the board reports (GetChipVersion).</summary>
        public string ChipVersion()
        {
            var version = new byte[Sizes.ResponseSize];
            Run("GetChipVersion", Native.GetChipVersion(ref *OpenRecord("GetChipVersion"), version));
            return LibraryText.Decode(version);
        }

        /// <summary>What GetBuffer holds now: the last exchange of the whole process,
        /// of this board only when no other board's call ran since its own; the
        /// record's password masked.</summary>
        public Exchange LastExchange()
        {
            byte[] sent = new byte[Sizes.CommandSize], received = new byte[Sizes.ResponseSize];
            Run("GetBuffer", Native.GetBuffer((IntPtr)Live(), sent, Sizes.CommandSize, received, Sizes.ResponseSize));
            return new Exchange { Sent = Masked(sent), Received = Masked(received) };
        }

        /// <summary>The text of an output buffer with the record's password masked as the
        /// library masks it (MpdllMaskSecret): one '*' per character.</summary>
        private string Masked(byte[] text)
        {
            var password = new byte[Sizes.LoginTextSize + 1]; // the field, and a terminator after it
            Marshal.Copy((IntPtr)Live()->password, password, 0, Sizes.LoginTextSize);
            int end = Array.IndexOf(text, (byte)0);
            Run("MpdllMaskSecret", Native.MpdllMaskSecret(text, end < 0 ? text.Length : end, password));
            return LibraryText.Decode(text);
        }
    }
}
