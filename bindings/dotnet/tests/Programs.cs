// What the .NET tests are given by their runner: settings from the
// environment, and running a program to read what it prints.
using System;
using System.Diagnostics;

static class Programs
{
    public static string Setting(string name)
    {
        string value = Environment.GetEnvironmentVariable(name);
        if (string.IsNullOrEmpty(value))
            throw new InvalidOperationException("the test runner sets " + name);
        return value;
    }

    /// <summary>Runs program with arguments; its standard output, or an exception
    /// with its standard error when it fails.</summary>
    public static string Run(string program, string arguments)
    {
        var start = new ProcessStartInfo(program, arguments) {
            UseShellExecute = false, RedirectStandardOutput = true, RedirectStandardError = true,
        };
        using (var process = Process.Start(start)) {
            var errors = process.StandardError.ReadToEndAsync();
            string output = process.StandardOutput.ReadToEnd();
            process.WaitForExit();
            if (process.ExitCode != 0)
                throw new InvalidOperationException(program + " " + arguments + " exited " + process.ExitCode + ": " + errors.Result + output);
            return output;
        }
    }
}
