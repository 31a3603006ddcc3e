<?php
/*
 * Tillbox order mailer: sends a direct order from the cart to the shop by
 * e-mail. Lives in the site's shared folder beside json.php,
 * class.phpmailer.php and class.smtp.php.
 *
 * Generated at export from template_orderMailer. The exporter fills the shop's
 * settings into the single-quoted strings of $tillboxMailSettings below, each
 * value escaped for a single-quoted PHP string (backslash -> \\, quote -> \').
 * The port, the switches and the field number are filled as text too and
 * converted here, so no setting can change the script. A setting the
 * exporter left unfilled counts as empty.
 *
 * Request: POST only (anything else: 405), as a form body or a JSON object.
 *   fields[N]   N = 1..15: what the shopper typed into order-form field N.
 *   labels[N]   optional: the label of field N as the page shows it.
 *   lines       the cart: a list (JSON text in a form body) of objects
 *               {name, sku, options, quantity, price, total}; options is
 *               text or a list of texts or {name, value} objects.
 *   subtotal, discount, taxes, shipping, additionalCosts, total, currency, coupon,
 *   taxesIncluded ("true"/"false")                     texts as the cart
 *               shows them (the shopper's browser computed them).
 *   website     honeypot: must stay empty. When filled the answer is a
 *               success and nothing is sent.
 * The recipient, subject, introductory text, e-mail field, order ID switch
 * and prefix and the required fields come from the shop's settings only;
 * request fields of those names are ignored.
 * Limits: 1000 characters per field, label and line value, 200 lines.
 *
 * Answer: JSON {"ok":true,"orderId":"..."} (orderId "" when the shop gives
 * no order IDs) or {"ok":false,"error":"..."} with status 400 (the request),
 * 405 (not POST), 500 (the shop's set-up) or 502 (sending failed).
 *
 * The mail goes to the shop's order address only, as plain UTF-8 text; the
 * shopper's address, once validated, is only its Reply-To. Line breaks are
 * removed from every header value. With an empty SMTP host the server's PHP
 * mail() sends it.
 */

use PHPMailer\PHPMailer\PHPMailer;

$tillboxMailSettings = array(
    'smtpHost' => '%MAIL_SMTP_HOST%',
    'smtpPort' => '%MAIL_SMTP_PORT%',
    'smtpUsername' => '%MAIL_SMTP_USERNAME%',
    'smtpPassword' => '%MAIL_SMTP_PASSWORD%',
    'smtpUseSSL' => '%MAIL_SMTP_USE_SSL%',
    'to' => '%MAIL_TO%',
    'subject' => '%MAIL_SUBJECT%',
    'text' => '%MAIL_TEXT%',
    'emailField' => '%MAIL_EMAIL_FIELD%',
    'uidEnabled' => '%MAIL_UID_ENABLED%',
    'uidPrefix' => '%MAIL_UID_PREFIX%',
    'required' => '%MAIL_REQUIRED%',
);

require_once __DIR__ . '/json.php';

const TILLBOX_FIELD_COUNT = 15;
const TILLBOX_MAX_TEXT = 1000;
const TILLBOX_MAX_LINES = 200;
const TILLBOX_SMTP_TIMEOUT = 20;

$GLOBALS['tillboxFatalBody'] = array('ok' => false, 'error' => 'The order could not be sent.');

function tillbox_fail($error, $status)
{
    json_response(array('ok' => false, 'error' => $error), $status);
}

/* A setting as text; a placeholder the exporter did not fill reads as "". */
function tillbox_setting($settings, $key)
{
    $value = isset($settings[$key]) ? (string)$settings[$key] : '';
    return preg_match('/^%MAIL_[A-Z0-9_]+%$/', $value) === 1 ? '' : $value;
}

/*
 * Text safe to put into the mail: line ends normalised, control characters
 * removed; a single-line text also loses its line breaks and tabs, which is
 * what keeps header values from starting new headers.
 */
function tillbox_clean($text, $multiline)
{
    $text = str_replace(array("\r\n", "\r"), "\n", $text);
    if (!$multiline) {
        $text = str_replace(array("\n", "\t"), ' ', $text);
    }
    return trim(preg_replace('/[\x00-\x08\x0B-\x1F\x7F]/', '', $text));
}

/*
 * A request value checked as text of at most TILLBOX_MAX_TEXT characters;
 * fails the request with a message naming $what otherwise.
 */
function tillbox_request_text($value, $what, $multiline)
{
    $text = json_text($value);
    if ($text === null || !json_is_utf8($text)) {
        tillbox_fail($what . ' is not valid text.', 400);
    }
    if (json_text_length($text) > TILLBOX_MAX_TEXT) {
        tillbox_fail($what . ' is too long (at most ' . TILLBOX_MAX_TEXT . ' characters).', 400);
    }
    return tillbox_clean($text, $multiline);
}

function tillbox_member($array, $key)
{
    return is_array($array) && array_key_exists($key, $array) ? $array[$key] : null;
}

/* The options of an order line as one text. */
function tillbox_options_text($options)
{
    if (!is_array($options)) {
        return $options;
    }
    $parts = array();
    foreach ($options as $option) {
        if (is_array($option)) {
            $name = json_text(tillbox_member($option, 'name'));
            $value = json_text(tillbox_member($option, 'value'));
            $option = ($name === null || $value === null) ? null
                : ($name === '' ? $value : $name . ': ' . $value);
        }
        $text = json_text($option);
        if ($text === null) {
            return null;
        }
        if ($text !== '') {
            $parts[] = $text;
        }
    }
    return implode(', ', $parts);
}

/* "prefix" + date and time + six random hex digits: unique enough per shop. */
function tillbox_order_id($prefix)
{
    try {
        $random = bin2hex(random_bytes(3));
    } catch (Throwable $e) {
        $random = sprintf('%06x', mt_rand(0, 0xffffff));
    }
    return $prefix . date('Ymd-His') . '-' . strtoupper($random);
}

/* A multi-line value indented under its label. */
function tillbox_body_value($label, $value)
{
    if (strpos($value, "\n") === false) {
        return $label . ': ' . $value . "\n";
    }
    return $label . ":\n    " . str_replace("\n", "\n    ", $value) . "\n";
}

/* Our own message for a sending failure; the details go to the server log. */
function tillbox_send_error($detail)
{
    $reasons = array(
        'Could not authenticate' => 'the mail server did not accept the shop\'s login',
        'connect' => 'the mail server could not be reached',
        'instantiate' => 'the web server could not send e-mail',
        'Could not execute' => 'the web server could not send e-mail',
        'recipients failed' => 'the mail server refused the shop\'s order address',
        'From address failed' => 'the mail server refused the sender address',
        'data not accepted' => 'the mail server refused the message',
        'SMTP server error' => 'the mail server refused the message',
    );
    $reason = 'the e-mail could not be sent';
    foreach ($reasons as $needle => $text) {
        if (stripos($detail, $needle) !== false) {
            $reason = $text;
            break;
        }
    }
    return 'The order could not be sent: ' . $reason . '. Please try again later or contact the shop.';
}

// ---------------------------------------------------------------------------
// Request

json_require_post(array('ok' => false, 'error' => 'Use POST.'));

$request = json_request_data();
if ($request === null) {
    tillbox_fail('The request could not be read.', 400);
}

$settings = $tillboxMailSettings;
$uidEnabled = tillbox_setting($settings, 'uidEnabled') === 'true';
$uidPrefix = tillbox_clean(tillbox_setting($settings, 'uidPrefix'), false);
$orderId = $uidEnabled ? tillbox_order_id($uidPrefix) : '';

// Bots fill every field; they get the answer a shopper would and no mail.
$honeypot = tillbox_member($request, 'website');
if ($honeypot !== null && $honeypot !== '' && $honeypot !== array()) {
    json_response(array('ok' => true, 'orderId' => $orderId));
}

$postedFields = tillbox_member($request, 'fields');
$postedLabels = tillbox_member($request, 'labels');
if (($postedFields !== null && !is_array($postedFields)) || ($postedLabels !== null && !is_array($postedLabels))) {
    tillbox_fail('The order form could not be read.', 400);
}

$fields = array();
for ($n = 1; $n <= TILLBOX_FIELD_COUNT; ++$n) {
    $label = tillbox_request_text(tillbox_member($postedLabels, $n), 'Label ' . $n, false);
    if ($label === '') {
        $label = 'Field ' . $n;
    }
    $fields[$n] = array(
        'label' => $label,
        'value' => tillbox_request_text(tillbox_member($postedFields, $n), 'Field "' . $label . '"', true),
    );
}

$required = tillbox_setting($settings, 'required');
if (preg_match('/^[01]{' . TILLBOX_FIELD_COUNT . '}$/', $required) === 1) {
    $missing = array();
    for ($n = 1; $n <= TILLBOX_FIELD_COUNT; ++$n) {
        if ($required[$n - 1] === '1' && $fields[$n]['value'] === '') {
            $missing[] = $fields[$n]['label'];
        }
    }
    if (!empty($missing)) {
        tillbox_fail('Please fill in: ' . implode(', ', $missing) . '.', 400);
    }
}

$replyTo = '';
$emailField = (int)tillbox_setting($settings, 'emailField');
if ($emailField >= 1 && $emailField <= TILLBOX_FIELD_COUNT) {
    // Checked on the text as sent: a line break makes it invalid, it is not
    // silently joined into some other address.
    $sent = json_text(tillbox_member($postedFields, $emailField));
    $sent = $sent === null ? '' : trim($sent);
    if ($sent !== '') {
        if (filter_var($sent, FILTER_VALIDATE_EMAIL) === false) {
            tillbox_fail('The e-mail address is not valid.', 400);
        }
        $replyTo = $sent;
    }
}

$lines = tillbox_member($request, 'lines');
if (is_string($lines)) {
    if (strlen($lines) > TILLBOX_MAX_BODY_BYTES) {
        tillbox_fail('The order has too many lines (at most ' . TILLBOX_MAX_LINES . ').', 400);
    }
    $lines = json_decode($lines, true, 8);
}
if (!is_array($lines)) {
    tillbox_fail('The order lines could not be read.', 400);
}
if (count($lines) > TILLBOX_MAX_LINES) {
    tillbox_fail('The order has too many lines (at most ' . TILLBOX_MAX_LINES . ').', 400);
}
if (count($lines) === 0) {
    tillbox_fail('The cart is empty.', 400);
}
$orderLines = array();
foreach (array_values($lines) as $index => $line) {
    if (!is_array($line)) {
        tillbox_fail('The order lines could not be read.', 400);
    }
    $what = 'Line ' . ($index + 1);
    $orderLines[] = array(
        'name' => tillbox_request_text(tillbox_member($line, 'name'), $what, false),
        'sku' => tillbox_request_text(tillbox_member($line, 'sku'), $what, false),
        'options' => tillbox_request_text(tillbox_options_text(tillbox_member($line, 'options')), $what, false),
        'quantity' => tillbox_request_text(tillbox_member($line, 'quantity'), $what, false),
        'price' => tillbox_request_text(tillbox_member($line, 'price'), $what, false),
        'total' => tillbox_request_text(tillbox_member($line, 'total'), $what, false),
    );
}

$sums = array();
// Every part of the total, so the mail adds up: the coupon's discount and
// the additional costs of the shipping tiers included.
$taxesIncluded = tillbox_request_text(tillbox_member($request, 'taxesIncluded'), 'TaxesIncluded', false) === 'true';
foreach (array('subtotal' => 'Subtotal', 'coupon' => 'Coupon', 'discount' => 'Discount',
               'taxes' => $taxesIncluded ? 'Taxes (included in the prices)' : 'Taxes',
               'shipping' => 'Shipping', 'additionalCosts' => 'Additional costs',
               'total' => 'Total', 'currency' => 'Currency') as $key => $label) {
    $sums[$label] = tillbox_request_text(tillbox_member($request, $key), ucfirst($key), false);
}

// ---------------------------------------------------------------------------
// Shop set-up

$to = tillbox_clean(tillbox_setting($settings, 'to'), false);
if (filter_var($to, FILTER_VALIDATE_EMAIL) === false) {
    error_log('Tillbox: the order address of orderMailer.php is not a valid e-mail address.');
    tillbox_fail('The shop\'s order address is not set up.', 500);
}
if (!is_file(__DIR__ . '/class.phpmailer.php') || !is_file(__DIR__ . '/class.smtp.php')) {
    error_log('Tillbox: class.phpmailer.php or class.smtp.php is missing beside orderMailer.php.');
    tillbox_fail('The shop\'s mail library is missing on the server.', 500);
}
require_once __DIR__ . '/class.phpmailer.php';
require_once __DIR__ . '/class.smtp.php';

$subject = tillbox_clean(tillbox_setting($settings, 'subject'), false);
if ($subject === '') {
    $subject = 'Order';
}
if ($orderId !== '') {
    $subject .= ' ' . $orderId;
}

// ---------------------------------------------------------------------------
// Mail text: plain text, so nothing the shopper typed is interpreted.

$body = '';
$intro = tillbox_clean(tillbox_setting($settings, 'text'), true);
if ($intro !== '') {
    $body .= $intro . "\n\n";
}
if ($orderId !== '') {
    $body .= 'Order ID: ' . $orderId . "\n";
}
$body .= 'Date: ' . date('Y-m-d H:i:s T') . "\n\n";
foreach ($fields as $field) {
    if ($field['value'] !== '') {
        $body .= tillbox_body_value($field['label'], $field['value']);
    }
}
$body .= "\n";
foreach ($orderLines as $line) {
    $body .= ($line['quantity'] !== '' ? $line['quantity'] : '1') . ' x ' . $line['name'] . "\n";
    foreach (array('sku' => 'SKU', 'options' => 'Options', 'price' => 'Price', 'total' => 'Total') as $key => $label) {
        if ($line[$key] !== '') {
            $body .= '    ' . $label . ': ' . $line[$key] . "\n";
        }
    }
}
$body .= "\n";
foreach ($sums as $label => $value) {
    if ($value !== '') {
        $body .= $label . ': ' . $value . "\n";
    }
}

// ---------------------------------------------------------------------------
// Sending

$host = tillbox_clean(tillbox_setting($settings, 'smtpHost'), false);
$username = tillbox_clean(tillbox_setting($settings, 'smtpUsername'), false);
$mail = new PHPMailer(true);
try {
    $mail->CharSet = PHPMailer::CHARSET_UTF8;
    $mail->XMailer = ' ';
    if ($host !== '') {
        $port = (int)tillbox_setting($settings, 'smtpPort');
        $mail->isSMTP();
        $mail->Host = $host;
        $mail->Port = ($port > 0 && $port < 65536) ? $port : 25;
        // Connect and read time limits: a stuck server must not keep the
        // shopper waiting for minutes.
        $mail->Timeout = TILLBOX_SMTP_TIMEOUT;
        $mail->getSMTPInstance()->Timelimit = TILLBOX_SMTP_TIMEOUT;
        $mail->SMTPAuth = $username !== '';
        $mail->Username = $username;
        $mail->Password = tillbox_setting($settings, 'smtpPassword');
        $mail->SMTPSecure = tillbox_setting($settings, 'smtpUseSSL') === 'true' ? PHPMailer::ENCRYPTION_SMTPS : '';
    } else {
        $mail->isMail();
    }
    // Mail servers often insist that the sender is the account that logs in.
    $from = filter_var($username, FILTER_VALIDATE_EMAIL) !== false ? $username : $to;
    $mail->setFrom($from, '', false);
    $mail->addAddress($to);
    if ($replyTo !== '') {
        $mail->addReplyTo($replyTo);
    }
    $mail->Subject = $subject;
    $mail->isHTML(false);
    $mail->Body = $body;
    $mail->send();
} catch (Throwable $e) {
    $detail = $e->getMessage();
    if ($mail->ErrorInfo !== '' && strpos($detail, $mail->ErrorInfo) === false) {
        $detail .= ' ' . $mail->ErrorInfo;
    }
    error_log('Tillbox: order mail not sent: ' . $detail);
    tillbox_fail(tillbox_send_error($detail), 502);
}

json_response(array('ok' => true, 'orderId' => $orderId));
