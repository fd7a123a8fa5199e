#pragma once
// What a measurement found against the model's limits: the motor loads and the AID inspection,
// kept as the run's measurements and drawn as charts. Each chart is saved beside the service
// record and shown in a picture window, while the settings keep the record.

#include <optional>
#include <string>
#include <vector>

#include "operations/operation_table.h"
#include "patterns/motor_measurement.h"
#include "ui_services/ui_services.h"

namespace operations {

// Every value the judgement tests, each red when it failed; without divisible readings only the
// measured currents and times, the constants having nothing to stand on.
ui::Chart MotorChart(const std::string& title, const patterns::MotorValues& values,
                     const printer::MotorMeasureSettings& limits);

// Keeps each value the motor judgement tests as a measurement of the run, named after the motor
// ("CR Current_H"): without divisible readings only the measured currents and times.
void KeepMotorValues(OperationRun& run, const std::string& motor,
                     const patterns::MotorValues& values,
                     const printer::MotorMeasureSettings& limits);

// The runs judged against the AID limit (the second and later), each the sum of its ten results.
ui::Chart AidChart(const std::string& title, const std::vector<int>& runSums, int limit,
                   const std::string& verdict);

// Saves the chart of the run's operation beside the record and shows it; a chart that cannot be
// saved is told in a warning.
void ShowMeasuredChart(OperationRun& run, int functionNumber, const ui::Chart& chart);

}  // namespace operations
