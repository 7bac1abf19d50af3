// The declarations of Mpdll.cs against the library's export list and header:
// one stdcall DllImport per export whose arguments make up the byte count of
// its decorated 32-bit name, the status meanings of the header, and the
// marshalling of texts and tables through the pure conversion exports.
using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Reflection;
using System.Runtime.InteropServices;
using System.Text.RegularExpressions;
using Mpdll;
using NUnit.Framework;

[TestFixture]
public class ExportTests
{
    // Argument types that are 4 bytes in a 32-bit process (pointers and 32-bit values).
    static readonly Type[] FourByteArguments = {
        typeof(int), typeof(uint), typeof(IntPtr), typeof(string), typeof(byte[]), typeof(int[]),
        typeof(DevContext).MakeByRefType(), typeof(int).MakeByRefType(), typeof(uint).MakeByRefType(),
    };

    static string Source(params string[] path)
    {
        return File.ReadAllText(Path.Combine(new[] { Programs.Setting("MPDLL_SOURCE_DIR") }.Concat(path).ToArray()));
    }

    static Dictionary<string, int> ExportList()
    {
        return Source("src", "exports", "exports.txt").Split('\n')
            .Where(line => Regex.IsMatch(line, "^[A-Za-z_]")).Select(line => line.Split(' '))
            .ToDictionary(words => words[0], words => int.Parse(words[1]));
    }

    static IEnumerable<MethodInfo> Imports()
    {
        return typeof(Native).GetMethods(BindingFlags.Public | BindingFlags.Static)
                             .Where(method => method.GetCustomAttribute<DllImportAttribute>() != null);
    }

    [Test]
    public void EveryExportHasOneImportAndNoMore()
    {
        CollectionAssert.AreEquivalent(ExportList().Keys, Imports().Select(method => method.Name));
    }

    [Test]
    public void ImportsAreStdcallWithTheDecoratedNamesArgumentBytes()
    {
        var exports = ExportList();
        var wrong = new List<string>();
        foreach (MethodInfo method in Imports()) {
            var import = method.GetCustomAttribute<DllImportAttribute>();
            ParameterInfo[] parameters = method.GetParameters();
            if (import.CallingConvention != CallingConvention.StdCall || import.ExactSpelling)
                wrong.Add(method.Name + ": not a stdcall import the runtime may decorate");
            // A delegate goes as a function pointer.
            if (parameters.Any(parameter => !FourByteArguments.Contains(parameter.ParameterType) &&
                                            !typeof(Delegate).IsAssignableFrom(parameter.ParameterType)))
                wrong.Add(method.Name + ": an argument that is not 4 bytes in a 32-bit process");
            if (4 * parameters.Length != exports[method.Name])
                wrong.Add(method.Name + ": " + 4 * parameters.Length + " argument bytes, _" + method.Name + "@" + exports[method.Name]);
        }
        CollectionAssert.IsEmpty(wrong);
    }

    [Test]
    public void StatusMeaningsAreTheHeaders()
    {
        string header = Source("include", "mpdll", "mpdll.h");
        var values = Regex.Matches(header, @"#define (MPDLL_\w+) \(?(-?\d+)\)?").Cast<Match>()
                          .ToDictionary(match => match.Groups[1].Value, match => int.Parse(match.Groups[2].Value));
        var rows = Regex.Matches(header, @"X\((MPDLL_\w+), ""([^""]*)""\)").Cast<Match>().ToList();
        Assert.AreEqual(9, rows.Count);
        foreach (Match row in rows)
            Assert.AreEqual(row.Groups[2].Value, Status.Meaning(values[row.Groups[1].Value]), row.Groups[1].Value);
    }

    // MPDLL_COMMAND_SIZE is Sizes.CommandSize, MPDLL_UDP_PORT ConnectionMode.UdpPort,
    // MPDLL_PROMPT_SETTLE_MAX_MS Board.PromptSettleMaxMs.
    [Test]
    public void SizesAndThePortAreTheHeaders()
    {
        string header = Source("include", "mpdll", "mpdll.h");
        var defines = Regex.Matches(header, @"#define MPDLL_(\w+_SIZE|UDP_PORT|PROMPT_SETTLE_MAX_MS) (\d+)").Cast<Match>().ToList();
        Assert.That(defines.Count, Is.GreaterThanOrEqualTo(9));
        foreach (Match define in defines) {
            string name = string.Concat(define.Groups[1].Value.Split('_')
                                        .Select(word => word[0] + word.Substring(1).ToLowerInvariant()));
            Type holder = name == "UdpPort"             ? typeof(ConnectionMode)
                          : name == "PromptSettleMaxMs" ? typeof(Board)
                                                        : typeof(Sizes);
            FieldInfo constant = holder.GetField(name, BindingFlags.Public | BindingFlags.Static);
            Assert.IsNotNull(constant, "no " + holder.Name + "." + name + " for MPDLL_" + define.Groups[1].Value);
            Assert.AreEqual(int.Parse(define.Groups[2].Value), constant.GetValue(null), name);
        }
    }

    // MPDLL_PARITY_ODD is SerialParity.Odd, MPDLL_STOP_BITS_ONE_AND_HALF
    // SerialStopBits.OneAndHalf, MPDLL_FLOW_RTSCTS SerialFlow.Rtscts.
    [Test]
    public void SerialLineCodesAreTheHeaders()
    {
        string header = Source("include", "mpdll", "mpdll.h");
        var defines = Regex.Matches(header, @"#define MPDLL_(PARITY|STOP_BITS|FLOW)_(\w+) (\d+)").Cast<Match>().ToList();
        Assert.AreEqual(11, defines.Count);
        var kinds = new Dictionary<string, Type> {
            { "PARITY", typeof(SerialParity) }, { "STOP_BITS", typeof(SerialStopBits) }, { "FLOW", typeof(SerialFlow) },
        };
        foreach (Match define in defines) {
            Type kind = kinds[define.Groups[1].Value];
            string name = string.Concat(define.Groups[2].Value.Split('_')
                                        .Select(word => word[0] + word.Substring(1).ToLowerInvariant()));
            Assert.IsTrue(Enum.IsDefined(kind, name), "no " + kind.Name + "." + name + " for " + define.Value);
            Assert.AreEqual(int.Parse(define.Groups[3].Value), (int)Enum.Parse(kind, name), kind.Name + "." + name);
        }
        foreach (Type kind in kinds.Values)
            Assert.AreEqual(defines.Count(define => kinds[define.Groups[1].Value] == kind), Enum.GetValues(kind).Length,
                            kind.Name + " has a value the header lacks");
    }

    [TestCase("54M", 108)]
    [TestCase("mcs7", 135)]
    [TestCase("5.5M", 11)]
    public void RateNamesGoInAsText(string rate, int code)
    {
        Assert.AreEqual(code, Native.mp_rate_s2i(rate));
    }

    [TestCase("-1", (byte)'F')]
    [TestCase("7", (byte)'7')]
    [TestCase(null, (byte)'0')]
    public void DifferenceDigitComesBackAsOneByte(string text, byte digit)
    {
        Assert.AreEqual(digit, Native.DiffDec2Hex(text));
    }

    [Test]
    public void PowerIndexTablesGoOutAndComeBackInTheirOrder()
    {
        const int count = 3;
        int[][] tables = Enumerable.Range(0, 10).Select(_ => new int[count]).ToArray();
        Assert.AreEqual(0, Native.DecPowerIndex(count, "2A2B2C", "2D2E2F", "1A1B1C", "1D1E1F", "0F2100", "8E7000", "1D1100",
                                                tables[0], tables[1], tables[2], tables[3], tables[4], tables[5],
                                                tables[6], tables[7], tables[8], tables[9]));
        CollectionAssert.AreEqual(new[] { 0x2A, 0x2B, 0x2C }, tables[0]);
        CollectionAssert.AreEqual(new[] { 0x1D, 0x1E, 0x1F }, tables[3]);
        CollectionAssert.AreEqual(new[] { 0x1A + 0xF - 16, 0x1B + 1, 0x1C }, tables[4]); // group 1A: base A plus the low digit
        byte[][] texts = Enumerable.Range(0, 7).Select(_ => new byte[2 * count + 1]).ToArray();
        Assert.AreEqual(0, Native.HexPowerIndex(count, tables[0], tables[1], tables[2], tables[3], tables[4], tables[5],
                                                tables[6], tables[7], tables[8], tables[9], texts[0], texts[1], texts[2],
                                                texts[3], texts[4], texts[5], texts[6]));
        CollectionAssert.AreEqual(new[] { "2A2B2C", "2D2E2F", "1A1B1C", "1D1E1F", " F21 0", "8E70 0", "1D11 0" },
                                  texts.Select(LibraryText.Decode));
    }
}
