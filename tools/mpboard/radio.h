// The wireless driver's test mode: settings, continuous TX, RX with address
// filters, packet counters, thermal meter, TSSI and power tracking.
#pragma once

#include <string>

#include "answer.h"
#include "simulator.h"

namespace mpboard {

class Radio {
  public:
    // thermal_reference: the flash THER value; measurements may set readings
    // of their own.
    Radio(int thermal_reference, const Measurements& measurements);

    // Runs one test-mode command ("mp_channel", "mp_arx", ...) with the text
    // after it. `label` starts each line the driver reports ("wlan0     ").
    Answer run(const std::string& label, const std::string& command, const std::string& args);

    bool test_mode() const { return test_mode_; }
    Counters counters() const { return counters_; }

  private:
    Answer settings(const std::string& command, const std::string& args);
    Answer receive(const std::string& label, const std::string& args);
    Answer transmit(const std::string& args);
    Answer power_tracking(const std::string& args);
    Answer query(const std::string& label);
    Answer thermal(const std::string& label);
    Answer tssi(const std::string& label);
    std::string filter_report(const std::string& label) const;
    void advance_one_query();
    void send_frames();
    long long failed_share(long long frames, long long own_failed, long long own_total) const;
    void count_frames(const AirSource& source);

    bool test_mode_ = false;
    int rate_ = 2, channel_ = 1, bw40_ = 0, short_gi_ = 0;
    int power_a_ = 0, power_b_ = 0, xcap_ = 32;
    std::string bssid_ = "00:00:00:00:00:00", ant_tx_ = "a", ant_rx_ = "a";

    bool tx_running_ = false;
    bool tx_packets_ = true;  // pkt mode; single tone and carrier suppression send no frames
    long long tx_limit_ = 0;  // frames to send; 0 = until stopped
    bool rx_running_ = false;
    std::string filter_sa_, filter_da_, filter_bssid_;  // empty = no filter
    Counters counters_;

    const Measurements measurements_;
    int thermal_reference_;  // the meter's reading at rest
    int thermal_;
    bool tracking_ = false;
    int tracking_reference_ = 0;
};

}  // namespace mpboard
