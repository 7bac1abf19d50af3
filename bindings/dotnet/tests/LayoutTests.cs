// The DevContext record of Mpdll.cs against the C header: a C program
// compiled against include/mpdll/mpdll.h prints every size, field offset and
// DCB flag bit on this platform, and the runtime's layout of the C# structs
// must give the same numbers; the same field list with 4-byte pointers must
// give the 32-bit offsets the library holds itself to.
using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Reflection;
using System.Runtime.CompilerServices;
using System.Runtime.InteropServices;
using System.Text.RegularExpressions;
using Mpdll;
using NUnit.Framework;

[TestFixture]
public class LayoutTests
{
    static readonly Dictionary<string, Type> Records = new Dictionary<string, Type> {
        { "DevContext", typeof(DevContext) }, { "MpSockAddrIn", typeof(MpSockAddrIn) },
        { "MpCommTimeouts", typeof(MpCommTimeouts) }, { "MpDcb", typeof(MpDcb) },
    };

    // The DCB's flag word stands for the C bit-fields, which have no offset.
    const string DcbFlagWord = "MpDcb.Flags";

    List<string[]> cLayout;

    [TestFixtureSetUp]
    public void RunTheCProgram()
    {
        string output = Programs.Run(Programs.Setting("MPDLL_OFFSETS_PROGRAM"), "");
        cLayout = output.Split('\n').Where(line => line.Length > 0).Select(line => line.Split(' ')).ToList();
        Assert.That(cLayout.Count, Is.GreaterThan(40), "the C program printed too little:\n" + output);
    }

    static IEnumerable<FieldInfo> Fields(Type record)
    {
        return record.GetFields(BindingFlags.Public | BindingFlags.Instance)
                     .OrderBy(field => Marshal.OffsetOf(record, field.Name).ToInt64());
    }

    static int FieldSize(FieldInfo field)
    {
        return Marshal.SizeOf(field.FieldType);
    }

    [Test]
    public void TheCProgramAndTheStructsNameTheSameFields()
    {
        var printed = new HashSet<string>(cLayout.Where(words => words.Length == 3).Select(words => words[0]));
        var declared = new HashSet<string>(Records.SelectMany(record => Fields(record.Value).Select(field => record.Key + "." + field.Name)));
        declared.Remove(DcbFlagWord);
        CollectionAssert.AreEquivalent(printed, declared);
    }

    [Test]
    public void RecordSizesAgree()
    {
        foreach (var words in cLayout.Where(words => words.Length == 2 && !words[0].Contains(":")))
            Assert.AreEqual(int.Parse(words[1]), Marshal.SizeOf(Records[words[0]]), words[0]);
    }

    [Test]
    public void EveryFieldOffsetAndSizeAgrees()
    {
        var mismatches = new List<string>();
        foreach (var words in cLayout.Where(words => words.Length == 3)) {
            string[] name = words[0].Split('.');
            Type record = Records[name[0]];
            FieldInfo field = record.GetField(name[1]);
            long offset = Marshal.OffsetOf(record, name[1]).ToInt64();
            if (offset != long.Parse(words[1]) || FieldSize(field) != int.Parse(words[2]))
                mismatches.Add(words[0] + ": C " + words[1] + "+" + words[2] + ", C# " + offset + "+" + FieldSize(field));
        }
        CollectionAssert.IsEmpty(mismatches);
    }

    [Test]
    public void TheFlagWordFollowsTheBaudRate()
    {
        Assert.AreEqual(8, Marshal.OffsetOf(typeof(MpDcb), "Flags").ToInt64());
    }

    [Test]
    public void EveryDcbFlagSetsTheSameBits()
    {
        var flags = cLayout.Where(words => words[0].StartsWith("MpDcb:")).ToList();
        Assert.AreEqual(14, flags.Count);
        foreach (var words in flags) {
            string flag = words[0].Substring("MpDcb:".Length);
            object dcb = new MpDcb();
            typeof(MpDcb).GetProperty(flag).SetValue(dcb, uint.MaxValue, null); // cut to the field's width
            Assert.AreEqual(Convert.ToUInt32(words[1], 16), ((MpDcb)dcb).Flags, flag);
        }
    }

    // The 32-bit layout of a record: the fields in order, IntPtr 4 bytes wide,
    // each at the next multiple of its alignment.
    static int Layout32(Type record, Dictionary<string, int> offsets, out int alignment)
    {
        int end = 0;
        alignment = 1;
        foreach (FieldInfo field in Fields(record)) {
            int size, align;
            var buffer = field.GetCustomAttribute<FixedBufferAttribute>();
            if (field.FieldType == typeof(IntPtr)) {
                size = align = 4;
            } else if (buffer != null) {
                align = Marshal.SizeOf(buffer.ElementType);
                size = buffer.Length * align;
            } else if (field.FieldType.IsPrimitive) {
                size = align = Marshal.SizeOf(field.FieldType);
            } else {
                size = Layout32(field.FieldType, null, out align);
            }
            end = (end + align - 1) / align * align;
            if (offsets != null)
                offsets[field.Name] = end;
            end += size;
            alignment = Math.Max(alignment, align);
        }
        return (end + alignment - 1) / alignment * alignment;
    }

    [Test]
    public void ThirtyTwoBitLayoutIsThePublishedOne()
    {
        string source = File.ReadAllText(Path.Combine(Programs.Setting("MPDLL_SOURCE_DIR"), "src", "connection",
                                                      "dev_context_layout.cpp"));
        var published = Regex.Matches(source, @"^MPDLL_AT\((\w+), (\d+)\);", RegexOptions.Multiline).Cast<Match>()
                             .ToDictionary(match => match.Groups[1].Value, match => int.Parse(match.Groups[2].Value));
        var offsets = new Dictionary<string, int>();
        int alignment;
        Assert.AreEqual(16900, Layout32(typeof(DevContext), offsets, out alignment));
        CollectionAssert.AreEquivalent(published, offsets);
    }
}
